// A box asked for by a worker thread is shown on the UI thread, and the worker gets the
// answer.
#include <gtest/gtest.h>

#include <QThread>

#include <thread>

#include "ui/kit/threadsafemessageboxes.h"
#include "ui/kit/workerrun.h"

namespace {

class RecordingBoxes : public platform::MessageBoxes {
 public:
  int show(const platform::MessageBoxRequest& request) override {
    threads.push_back(QThread::currentThread());
    captions.push_back(request.caption);
    return platform::kIdNo;
  }
  std::vector<QThread*> threads;
  std::vector<std::string> captions;
};

}  // namespace

TEST(ThreadSafeMessageBoxes, WorkersBoxesAreShownOnTheUiThread) {
  auto recording = std::make_unique<RecordingBoxes>();
  RecordingBoxes* inner = recording.get();
  ui::ThreadSafeMessageBoxes boxes(std::move(recording));

  platform::MessageBoxRequest request;
  request.caption = "Warning";
  const int fromWorker = ui::runOnWorker([&] {
    EXPECT_NE(QThread::currentThread(), boxes.thread());
    return boxes.show(request);
  });
  request.caption = "Problem";
  const int fromUi = boxes.show(request);

  EXPECT_EQ(fromWorker, platform::kIdNo);
  EXPECT_EQ(fromUi, platform::kIdNo);
  EXPECT_EQ(inner->captions, (std::vector<std::string>{"Warning", "Problem"}));
  ASSERT_EQ(inner->threads.size(), 2u);
  for (QThread* thread : inner->threads) EXPECT_EQ(thread, boxes.thread());
}
