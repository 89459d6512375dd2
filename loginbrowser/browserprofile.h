#pragma once
// Orbisview's web profile: cookies and the web cache kept between runs in folders of its
// own (profilefolders.h), so a site's login lasts as it did in the phone's browser. Nothing
// else a page offers is kept: no downloads, and no other program opened for an address.
class QObject;
class QWebEngineProfile;

namespace orbisview {

// Call once the QApplication exists. A folder that cannot be made private leaves a
// profile that forgets everything when the program ends, with a line on standard error.
QWebEngineProfile* makeBrowserProfile(QObject* parent);

}  // namespace orbisview
