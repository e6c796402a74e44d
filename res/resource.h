/*
 * Velorn resource and control identifiers, shared between the resource
 * script (res/velorn.rc), the dialog procedure (ui/WinAPI_27.cpp) and the
 * tests that drive the built program.
 */
#ifndef VELORN_RESOURCE_H
#define VELORN_RESOURCE_H

/* Dialog templates */
#define IDD_HLAVNI 101

/* Bitmaps */
#define IDB_POZADI 103

/* Icons */
#define IDI_IKONA 104

/* Buttons (IDOK = 1 and IDCANCEL = 2 come from windows.h), and their
   texts as the template shows them (UTF-8, as the resource script) */
#define IDC_NAPOVEDA 106
#define IDC_OPROGRAMU 107
#define LABEL_OK "OK"
#define LABEL_STORNO "Storno"
#define LABEL_NAPOVEDA "Nápověda"
#define LABEL_OPROGRAMU "O programu"

/* Edit fields */
#define IDC_RYCHLOST 1002

/* Static fields */
#define IDC_ENERGIE 3001

#endif
