#pragma once
// "Upload Photo": the user picks a JPEG picture and it goes whole to his photos. Runs on the
// user-interface thread and blocks it until the upload has ended.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

#include "api/apiclient.h"

class QWidget;

namespace platform {
class MessageBoxes;
}

namespace ui {

struct PhoneScreen;

class PhotoUpload {
 public:
  // Sends the picture with its path (photos.upload).
  using Sender = std::function<api::CallResult(std::string_view picture, const std::string& path)>;
  // The path the user chose, or an empty text when he cancelled.
  using Picker = std::function<QString(QWidget* owner)>;

  enum class Outcome { Cancelled, Unreadable, Unnamed, Failed, Uploaded };

  PhotoUpload(platform::MessageBoxes& boxes, Sender send, Picker pick);

  Outcome run(QWidget* owner);

  // The whole content of a regular file; nullopt for anything else (a folder, a FIFO or a
  // device, which could block or never end), an unreadable file or one past
  // pictures::Image::kMaxChosenPhotoBytes.
  static std::optional<std::string> readPicture(const std::string& path);
  // Only an answer that says the photo was stored counts: an error answer is a failure.
  static bool uploaded(const std::string& answer);

 private:
  void tell(const char* text, bool success);

  platform::MessageBoxes& boxes_;
  Sender send_;
  Picker pick_;
};

// The picture dialog with previews ("JPEG Files (*.jpg)"); empty when cancelled.
QString pickJpegFile(const PhoneScreen& screen, QWidget* owner);

}  // namespace ui
