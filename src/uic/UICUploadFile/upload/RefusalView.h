#pragma once
// How the upload and property dialogs show a refusal of their rules: a balloon tip at a control, and for
// full-width characters in the tag a message box, after which those characters are marked red and the
// whole tag selected.

#include <cstdint>
#include <string>
#include <vector>

class QTextEdit;
class QWidget;
struct RuleVerdict;

// The tip at the control's top-left corner; nothing without a control. Texts are GB18030.
void ShowTipAt(QWidget* anchor, const std::string& text);
void ShowFullWidthRefusal(QWidget* owner, QTextEdit* tag, const std::vector<int32_t>& positions);
// A verdict of the tag or description rules: true when it passed. A tip goes to the Upload button and
// moves the focus to focus.
bool ShowTextVerdict(const RuleVerdict& verdict, QWidget* owner, QWidget* uploadButton, QTextEdit* tag,
                     QWidget* focus);
