// Message-box styles and answers with the run-time's numeric values, which callers store and compare.
#pragma once

namespace vb {

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Window show values of the process start.
enum AppWinStyle : int {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};

} // namespace vb
