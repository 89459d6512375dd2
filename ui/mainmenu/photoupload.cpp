#include "photoupload.h"

#include <cstdio>
#include <cstdlib>

#include <QFile>

#include "api/apiclient.h"
#include "api/multipartbody.h"
#include "api/responsedocument.h"
#include "pictures/image.h"
#include "platform/messageboxes.h"
#include "platform/outsidefile.h"
#include "ui/kit/waitcursor.h"

namespace ui {
namespace {

constexpr const char* kCaption = "Veltrana";
constexpr const char* kCannotAccess =
    "Veltrana can't access the image you selected. Try picking a different one.";
constexpr const char* kCannotName =
    "Veltrana can only upload a picture whose file name ends in \".jpg\". Rename the picture "
    "and try again.";
constexpr const char* kUploaded = "Image successfully uploaded!";

// The upload names the file part after the first piece of the path that contains ".jpg";
// without one (".JPG") the picture could not be sent.
bool uploadCanName(const std::string& path) { return api::uploadFileName(path).has_value(); }

// A line end in the path would break the request's part header: the upload refuses it.
bool holdsLineEnd(const std::string& path) {
  return path.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

PhotoUpload::PhotoUpload(platform::MessageBoxes& boxes, Sender send, Picker pick)
    : boxes_(boxes), send_(std::move(send)), pick_(std::move(pick)) {}

std::optional<std::string> PhotoUpload::readPicture(const std::string& path) {
  // The file the user chose, a link resolved; then read as any outside file (no FIFO or
  // device, no more than a camera's photo), so nothing can block or fill memory.
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  const std::string real = resolved;
  std::free(resolved);
  platform::FileRead file = platform::readOutsideFile(real, pictures::Image::kMaxChosenPhotoBytes);
  if (!file.read()) return std::nullopt;
  return std::move(file.bytes);
}

bool PhotoUpload::uploaded(const std::string& answer) {
  const api::XmlNode response =
      api::ResponseDocument::parse(answer).child("photos_upload_response");
  return !response.isEmpty() && response.child("pid").text().has_value();
}

void PhotoUpload::tell(const char* text, bool success) {
  platform::MessageBoxRequest request;
  request.caption = kCaption;
  request.text = text;
  request.buttons = platform::MbButtons::Ok;
  if (success) {
    request.icon = platform::MbIcon::Information;
    request.foreground = true;
    request.topmost = true;
  }
  boxes_.show(request);
}

PhotoUpload::Outcome PhotoUpload::run(QWidget* owner) {
  const QString chosen = pick_ ? pick_(owner) : QString();
  if (chosen.isEmpty()) return Outcome::Cancelled;

  const std::string path = QFile::encodeName(chosen).toStdString();
  const std::optional<std::string> picture = readPicture(path);
  if (!picture || holdsLineEnd(path)) {
    tell(kCannotAccess, false);
    return Outcome::Unreadable;
  }
  if (!uploadCanName(path)) {
    tell(kCannotName, false);
    return Outcome::Unnamed;
  }

  api::CallResult sent;
  {
    WaitCursor wait;
    if (send_) sent = send_(*picture, path);
  }
  if (sent.outcome == api::CallOutcome::UploadNameRefused) {
    tell(kCannotAccess, false);
    return Outcome::Unreadable;
  }
  if (!sent.done() || !uploaded(sent.body)) return Outcome::Failed;
  tell(kUploaded, true);
  return Outcome::Uploaded;
}

}  // namespace ui
