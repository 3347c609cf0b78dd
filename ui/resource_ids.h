// Resource and control ids shared by the resource script and the dialogs.
// Plain macros, since the resource compiler reads this file too.
#pragma once

#define IDD_BREVANE_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_PROGRESS_DIALOG 129
#define IDD_INPUT_DIALOG 131

#define IDC_README 1000
#define IDC_DESCRIPTION 1001
#define IDC_PROGRESS 1002
#define IDC_TASK 1003
#define IDC_DETAIL 1004
#define IDC_ANSWER 1000
#define IDC_QUESTION 1006

// The folder browser's own controls, and the edit box added to it.
#define IDC_BROWSE_TREE 14145
#define IDC_BROWSE_STATUS 14147
#define IDC_BROWSE_EDIT 14148
