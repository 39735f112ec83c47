// The restore dialog of the main window: the table's backups, newest first, each with its
// date, time and rows; "復元" ends it with wxID_OK once one is chosen (a double click
// does too), "キャンセル" with wxID_CANCEL. It only shows the list: the caller asks for
// confirmation and restores through the schedule model. Built in code, as a list with
// columns has no template control.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "Backups.h"

class wxButton;
class wxListCtrl;
class wxListEvent;

class CRestoreDlg : public wxDialog {
  public:
    // backups newest first, as ListBackups gives them; folder is where they lie (shown).
    CRestoreDlg(wxWindow* parent, std::vector<BackupEntry> backups, const wxString& folder);

    // The backup of the selected row, or nullptr when none is selected.
    const BackupEntry* Chosen() const;
    wxListCtrl* List() const { return m_pList; }
    wxButton* RestoreButton() const { return m_pRestore; }

    // "2026年12月07日(月) 17:45:01" ("17:45:01 (2)" for a second backup in that second):
    // a backup as the list and the question before restoring name it.
    static wxString DateText(const BackupEntry& backup);
    static wxString TimeText(const BackupEntry& backup);

  private:
    void OnSelectionChanged(wxListEvent& event);
    void OnActivated(wxListEvent& event);

    std::vector<BackupEntry> m_backups;
    wxListCtrl* m_pList = nullptr;
    wxButton* m_pRestore = nullptr;
};
