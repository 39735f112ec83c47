// windows.h, which the toolkit's headers bring in on Windows, defines as macros some names
// that the program declares as constants of the same values (IDOK, SC_CLOSE, MB_OK, ...),
// and renames MessageBox to MessageBoxW. The headers that declare them include this file
// before their declarations, so the names are the program's whatever was included before.
// On purpose without an include guard: windows.h may come in between two headers.
#ifdef _WIN32
#undef IDOK
#undef IDCANCEL
#undef SC_MINIMIZE
#undef SC_CLOSE
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_YESNOCANCEL
#undef MB_YESNO
#undef MB_ICONSTOP
#undef MB_ICONQUESTION
#undef MB_ICONEXCLAMATION
#undef MB_ICONINFORMATION
#undef MB_TYPEMASK
#undef MB_ICONMASK
#undef MessageBox
#endif
