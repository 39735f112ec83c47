// A list box that keeps its rows in the program's list order (fw::CompareListText) and
// carries an int of item data per row. Rows are CP932 texts.
//
// Use these members only; wx's own Append/Insert/Delete would bypass the order and the
// item data. Selection: GetCurSel/SetCurSel (or wxListBox::GetSelection).
#pragma once

#include <wx/listbox.h>

#include <string>
#include <string_view>
#include <vector>

namespace fw {

class CSortedListBox : public wxListBox {
  public:
    CSortedListBox(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style);

    // Inserts the row at its sorted place (after rows with an equal text) with item data
    // 0; returns its index.
    int AddString(std::string_view cp932);
    // Removes a row; returns the number of rows left, -1 for a bad index.
    int DeleteString(int index);
    void ResetContent();

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // The row's text as added (CP932 bytes); empty for a bad index.
    std::string GetText(int index) const;
    // Item data of a row; -1 for a bad index. SetItemData returns false for a bad index.
    int GetItemData(int index) const;
    bool SetItemData(int index, int data);

    // The selected row, -1 when none.
    int GetCurSel() const;
    // Selects a row (-1 clears the selection) without a selection-change notification.
    void SetCurSel(int index);

    // A row too long for the list's width shows cut; resting the pointer on it shows its
    // whole text as the tooltip. The tooltip of a row: its text when it is cut, else empty.
    wxString RowToolTip(int index) const;

  private:
    bool IsValid(int index) const { return index >= 0 && index < GetRowCount(); }
    void OnMotion(wxMouseEvent& event);
    void ShowRowToolTip(int index);

    int m_nTipRow = -1;  // the row whose tooltip is set, -1 for none

    std::vector<std::string> m_rows;
    std::vector<int> m_data;
};

}  // namespace fw
