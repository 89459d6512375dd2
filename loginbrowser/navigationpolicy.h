#pragma once
// Which addresses Orbisview opens. Pages come from servers we do not control, so a link, a
// redirect or a script may only lead to another web page: no address of another scheme is
// ever handed to the desktop, whose handlers would start other programs with it. The
// addresses Orbisview opens itself (handed over by Veltrana, typed, Home, a link's new
// window) pass the same rule as the page's top frame.
#include <QStringList>
#include <QUrl>

namespace orbisview {

// The help pages of this installation, by full path: the one beside the installation's
// helper (<prefix>/share/veltrana/help.html) and the one in the user's own DataFolder in
// the program-files folder. Never one on a storage card, nor any other file of that name.
QStringList installedHelpPages();

// True for the local file address of one of `helpPages` (a position within it included).
bool isHelpPageAddress(const QUrl& url, const QStringList& helpPages);

// Whether a frame may go to `url`: http and https always; about:blank (and, inside a
// frame, the page's own data: and blob: content); a local file only when it is
// `localPage` itself (a position within it included), never any other file.
bool isOpenableAddress(const QUrl& url, bool isMainFrame, const QUrl& localPage);

// The rule for an address handed over by Veltrana: a top frame's, where the local page is
// the installation's help page. So javascript:, view-source:, data: and blob: never open.
bool isHandedAddressOpenable(const QUrl& url, const QStringList& helpPages);

}  // namespace orbisview
