#pragma once
// Dialog template and control ids: each control keeps its template id and is found by it.

// Dialog templates.
enum DialogId {
    IDD_DIALOG_UPLOAD = 10001,
    IDD_DIALOG_PROPERTY = 10007,
    IDD_DIALOG_TARGET = 10008,
    IDD_DIALOG_TRANSMIT = 10026,
    IDD_DIALOG_SUSPEND = 10027,
};

// --- Upload dialog controls ---

// Upload dialog (10001).
enum UploadControlId {
    IDC_STATIC_UPLOAD_BANNER = 10554,
    IDC_STATIC_GOALCATALOG = 10533,
    IDC_COMBO_GOALCATALOG = 10548,
    IDC_BUTTON_CHOOSE = 10550,
    IDC_BUTTON_CATALOG = 10555,
    IDC_STATIC_LIST_CAPTION = 10532,
    IDC_LIST_UPLOAD = 10987,
    IDC_STATIC_TAG_HINT = 10515,
    IDC_STATIC_TAG_ICON = 10539,
    IDC_RICHEDIT_TAG = 10516,
    IDC_STATIC_DESCRIPTION_HINT = 10514,
    IDC_EDIT_DESCRIPTION = 10300,
    IDC_STATIC_SPARESIZE = 10545,
    IDC_STATIC_UPLOADSIZE = 10546,
    IDC_STATIC_SIZEERROR = 10547,
    IDC_BUTTON_UPLOAD = 10104,
    IDC_BUTTON_CANECL = 10528,
    IDC_SPLITTER_HOR = 10990,
    IDC_SPLITTER_VER = 10991,
    IDC_COMBO_DROPBUTTON = 3689,
};

// Icons of the upload file list: folder marker and the delete button's normal, hot and pressed faces.
enum UploadIconId {
    IDI_ICON_FOLDER = 10067,
    IDI_ICON_DELETE = 10054,
    IDI_ICON_DELETE_HOT = 10055,
    IDI_ICON_DELETE_DOWN = 10056,
};

// --- Transfer list, floating window and progress bar controls ---

// The upload progress bar's template.
enum ProgressDialogId {
    IDD_DIALOG_PROGRESS = 10025,
};

// Transfer list (10026).
enum TransmitControlId {
    IDC_LIST_SHOW = 10610,
    IDC_PANEL_TOP = 10600,
    IDC_PANEL_LEFT = 10601,
    IDC_BUTTON_START = 10700,
    IDC_BUTTON_PAUSE = 10701,
    IDC_BUTTON_DELETE = 10702,
    IDC_VIEW_DOWNLOADING = 10710,
    IDC_VIEW_DOWNLOADED = 10711,
    IDC_VIEW_UPLOADING = 10712,
    IDC_VIEW_UPLOADED = 10713,
    IDC_STATIC_TRANSMIT = 10542,
    IDC_STATIC_TRANSMIT_ERROR = 10546,
    IDC_FRAME_TRANSMIT_LEFT = 10544,
    IDC_FRAME_TRANSMIT_LIST = 10545,
};

// Transfer list menu commands; the floating window uses 10503 and 10504.
enum TransmitCommandId {
    ID_TRANSMIT_DELETE = 10501,
    ID_TRANSMIT_OPEN = 10503,
    ID_SUSPEND_HIDE = 10504,
    ID_TRANSMIT_START = 10505,
    ID_TRANSMIT_PAUSE = 10506,
    ID_TRANSMIT_SELECTALL = 10507,
    ID_TRANSMIT_STARTALL = 10508,
    ID_TRANSMIT_PAUSEALL = 10509,
    ID_TRANSMIT_DELETEALL = 10510,
};

// Floating window (10027).
enum SuspendControlId {
    IDC_STATIC_SUSPEND_UPLOAD = 10543,
    IDC_STATIC_SUSPEND_DOWNLOAD = 10544,
    IDC_STATIC_SUSPEND_LOGO = 10545,
};

// Upload progress bar (10025).
enum ProgressControlId {
    IDC_PROGRESS_UPLOAD = 10535,
    IDC_STATIC_PROGRESS_TEXT = 10536,
    IDC_BUTTON_PROGRESS_CLOSE = 10537,
};

// --- Target catalog dialog and property dialog controls ---

// Target catalog dialog (10008); Cancel is the dialog's own IDCANCEL (2).
enum TargetControlId {
    IDC_TREE_TARGET = 10534,
    IDC_BUTTON_TARGET_NEW = 10530,
    IDC_BUTTON_TARGET_OK = 10533,
    IDC_BUTTON_TARGET_CANCEL = 2,
};

// The target tree's icons, in the order of its image list: folder, selected folder, shared folder,
// selected shared folder.
enum TargetIconId {
    IDI_ICON_TARGET_FOLDER = 10015,
    IDI_ICON_TARGET_FOLDER_SELECTED = 10014,
    IDI_ICON_TARGET_SHARED = 10017,
    IDI_ICON_TARGET_SHARED_SELECTED = 10016,
};

// The target tree's context menu.
enum TargetCommandId {
    ID_TARGET_MENU_NEW = 10517,
    ID_TARGET_MENU_RENAME = 10518,
    ID_TARGET_MENU_DELETE = 10519,
};

// Property dialog (10007); the tag and description controls keep the upload dialog's ids.
enum PropertyControlId {
    IDC_EDIT_TARGETPATH = 10531,
    IDC_BUTTON_TARGET = 10526,
    IDC_STATIC_TAG_ICON_RIGHT = 10540,
    IDC_BUTTON_PRE = 10527,
};

// The upload dialog's step to the property dialog.
enum UploadStepControlId {
    IDC_BUTTON_NEXT = 10529,
};

// --- Skin download dialog ---

enum SkinDialogId {
    IDD_DIALOG_DOWNLOADSKIN = 1006,
};

// Skin download dialog (1006); its OK button is IDOK (1).
enum SkinControlId {
    IDC_PROGRESS_DOWNLOADSKIN = 1007,
    IDC_STATIC_SKINNAME = 1008,
};

// --- Upload task list ---

enum UploadTaskListId {
    IDD_DIALOG_UPLOADTASKLIST = 10040,
    IDC_LIST_UPLOADTASK = 10630,
};

// --- Crawler and new-file download dialogs ---

enum DownloadWatchDialogId {
    IDD_DIALOG_PRG = 1014,
    IDD_DIALOG_DOWNFILE = 10028,
};

// Crawler dialog (1014).
enum PrgControlId {
    IDC_BUTTON_PRG_NEXT = 1518,
    IDC_PROGRESS_PRG = 1519,
    IDC_BUTTON_PRG_CANCEL = 1520,
    IDC_STATIC_PRG_PERCENT = 1521,
};

// New-file dialog (10028); its Cancel button is IDOK (1).
enum DownFileControlId {
    IDC_PROGRESS_DOWNFILE = 1505,
    IDC_STATIC_DOWNFILE = 1506,
};
