#pragma once
// Dialog template and control ids: each control keeps its template id and is found by it.

// Dialog templates.
enum DialogId {
    IDD_DIALOG_UPLOAD = 10001,
    IDD_DIALOG_PROPERTY = 10007,
    IDD_DIALOG_TRANSMIT = 10026,
    IDD_DIALOG_SUSPEND = 10027,
};

// --- Upload dialog controls ---

// --- Transfer list, floating window and progress bar controls ---
