// The version box: the icon, "Pemdaro Version 1.1.0" and the rights notice; OK closes it.
#pragma once

#include "Dialog.h"

class CAboutDlg : public fw::CDialog {
  public:
    CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}
};
