// Message boxes of the program under test: found as dialogs owned by its window, read (caption,
// text, buttons, icon) and answered by clicking one of their buttons.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/driver/AppProcess.h"
#include "tests/e2e/driver/RemoteWindow.h"

namespace e2e {

enum class BoxIcon { None, Warning, Information, Question, Error, Unrecognised };
const char* BoxIconName(BoxIcon icon);

struct CMessageBox {
    CRemoteWindow window;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // ids of the visible buttons (IDOK, IDYES, ...) in window order
    BoxIcon icon = BoxIcon::None;
};

// Whether the dialog is a message box (it has the message text static, id 0xFFFF).
bool IsMessageBox(const CRemoteWindow& dialog);
CMessageBox ReadMessageBox(const CRemoteWindow& box);
// The next message box owned by owner, once it is shown and filled in; throws CTimeoutError.
CMessageBox WaitForMessageBox(const CAppProcess& app, const CRemoteWindow& owner,
                              DWORD timeoutMs = kDefaultTimeoutMs);
// Clicks the button and waits for the box to go away; throws when it has no such button.
void AnswerMessageBox(const CMessageBox& box, int buttonId, DWORD timeoutMs = kDefaultTimeoutMs);

// The kind of the picture that the icon static shows, told by comparing its screen pixels with
// the system icons drawn here; None when the static holds no icon.
BoxIcon RecogniseIcon(const CRemoteWindow& iconStatic);

std::string ButtonsText(const std::vector<int>& ids); // "OK", "Yes,No", ...

} // namespace e2e
