#include "SortedListBox.h"

#include "ListOrder.h"
#include "TextConv.h"

namespace fw {

CSortedListBox::CSortedListBox(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                               long style)
    : wxListBox(parent, id, pos, size, 0, nullptr, style & ~wxLB_SORT) {
    Bind(wxEVT_MOTION, &CSortedListBox::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
        event.Skip();
        ShowRowToolTip(-1);
    });
}

wxString CSortedListBox::RowToolTip(int index) const {
    if (!IsValid(index)) {
        return wxString();
    }
    const wxString text = GetString(static_cast<unsigned>(index));
    // The room of a row: the client width less the cell's padding on either side.
    constexpr int kCellPadding = 4;
    const int room = GetClientSize().x - 2 * kCellPadding;
    return GetTextExtent(text).x > room ? text : wxString();
}

void CSortedListBox::ShowRowToolTip(int index) {
    const wxString tip = RowToolTip(index);
    if (tip.empty()) {
        index = -1;
    }
    if (index == m_nTipRow) {
        return;
    }
    m_nTipRow = index;
    if (index < 0) {
        UnsetToolTip();
    } else {
        SetToolTip(tip);
    }
}

void CSortedListBox::OnMotion(wxMouseEvent& event) {
    event.Skip();
    ShowRowToolTip(HitTest(event.GetPosition()));
}

int CSortedListBox::AddString(std::string_view cp932) {
    ShowRowToolTip(-1);  // the rows move
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
    ShowRowToolTip(-1);
    Delete(static_cast<unsigned>(index));
    m_rows.erase(m_rows.begin() + index);
    m_data.erase(m_data.begin() + index);
    return GetRowCount();
}

void CSortedListBox::ResetContent() {
    ShowRowToolTip(-1);
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
