#include "SortedListBox.h"

#include "ListOrder.h"
#include "TextConv.h"

namespace fw {

CSortedListBox::CSortedListBox(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                               long style)
    : wxListBox(parent, id, pos, size, 0, nullptr, style & ~wxLB_SORT) {}

int CSortedListBox::AddString(std::string_view cp932) {
    const size_t at = SortedInsertPosition(m_rows, cp932);
    Insert(Cp932ToWx(cp932), static_cast<unsigned>(at));
    m_rows.insert(m_rows.begin() + static_cast<long>(at), std::string(cp932));
    m_data.insert(m_data.begin() + static_cast<long>(at), 0);
    return static_cast<int>(at);
}

int CSortedListBox::DeleteString(int index) {
    if (!IsValid(index)) {
        return -1;
    }
    Delete(static_cast<unsigned>(index));
    m_rows.erase(m_rows.begin() + index);
    m_data.erase(m_data.begin() + index);
    return GetRowCount();
}

void CSortedListBox::ResetContent() {
    Clear();
    m_rows.clear();
    m_data.clear();
}

std::string CSortedListBox::GetText(int index) const {
    return IsValid(index) ? m_rows[index] : std::string();
}

int CSortedListBox::GetItemData(int index) const {
    return IsValid(index) ? m_data[index] : -1;
}

bool CSortedListBox::SetItemData(int index, int data) {
    if (!IsValid(index)) {
        return false;
    }
    m_data[index] = data;
    return true;
}

int CSortedListBox::GetCurSel() const {
    const int selection = GetSelection();
    return selection == wxNOT_FOUND ? -1 : selection;
}

void CSortedListBox::SetCurSel(int index) {
    if (index < 0) {
        SetSelection(wxNOT_FOUND);
    } else if (IsValid(index)) {
        SetSelection(index);
    }
}

}  // namespace fw
