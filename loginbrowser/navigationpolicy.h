#pragma once
// Which addresses Orbisview opens. Pages come from servers we do not control, so a link, a
// redirect or a script may only lead to another web page: no address of another scheme is
// ever handed to the desktop, whose handlers would start other programs with it.
#include <QUrl>

namespace orbisview {

// True for a local file named like the help page Veltrana hands over ("file:" + its
// DataFolder + "help.html"). Only such an address, handed over, makes a local page openable.
bool isHelpPageAddress(const QUrl& url);

// Whether a frame may go to `url`: http and https always; about:blank (and, inside a
// frame, the page's own data: and blob: content); a local file only when it is
// `localPage` itself (a position within it included), never any other file.
bool isOpenableAddress(const QUrl& url, bool isMainFrame, const QUrl& localPage);

}  // namespace orbisview
