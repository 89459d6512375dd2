// Decoding 25 square pictures, as one paint of a full board does (one file read and decoded
// per cell into the one image object), beside libjpeg's own djpeg decoding the same 25 files
// in the same run (one djpeg process per file, output to /dev/null), and rating them as the
// picture cache does. The pictures are the ones socialsim serves. The fair floor is libjpeg's
// decode of the same files in process (djpeg pays a process start for each).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "api/httptransport.h"
#include "pictures/image.h"
#include "pictures/picturefile.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "libjpegdecode.h"

extern char** environ;

namespace {

constexpr int kPictures = 25;

struct Squares {
  testsupport::TempFolder dir;
  std::vector<std::string> files;

  Squares() {
    testsupport::SimServer sim;
    if (!sim.start({"--friends", std::to_string(kPictures)})) return;
    const std::vector<std::string> uids = testsupport::friendUids(sim);
    for (const std::string& uid : uids) {
      std::string body;
      api::httpFetch(sim.url() + "/pics/q" + uid + ".jpg", body);
      if (body.empty()) continue;
      files.push_back(dir.path() + uid + ".jpg");
      testsupport::writeWhole(files.back(), body);
    }
  }
  static Squares& get() {
    static Squares squares;
    return squares;
  }
};

void BM_Decode25Squares(benchmark::State& state) {
  const Squares& s = Squares::get();
  if (s.files.size() != kPictures) {
    state.SkipWithError("could not fetch 25 pictures from socialsim");
    return;
  }
  pictures::Image image;
  int64_t pixels = 0;
  for ([[maybe_unused]] auto _ : state) {
    for (const std::string& file : s.files) {
      if (!image.load(file)) state.SkipWithError("a picture did not load");
      pixels += int64_t{image.width()} * image.height();
    }
  }
  state.counters["px/board"] = static_cast<double>(pixels) / state.iterations();
}
BENCHMARK(BM_Decode25Squares)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinWarmUpTime(0.5);

void BM_LibjpegDecode25Squares(benchmark::State& state) {
  const Squares& s = Squares::get();
  if (s.files.size() != kPictures) {
    state.SkipWithError("could not fetch 25 pictures from socialsim");
    return;
  }
  bench::decodeEachIteration(state, s.files);
}
BENCHMARK(BM_LibjpegDecode25Squares)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MinWarmUpTime(0.5);

// Rating the same 25 files as the board's layout and the cache's looks do: each read and
// decoded whole at the smallest scale.
void BM_Rate25Squares(benchmark::State& state) {
  const Squares& s = Squares::get();
  if (s.files.size() != kPictures) {
    state.SkipWithError("could not fetch 25 pictures from socialsim");
    return;
  }
  for ([[maybe_unused]] auto _ : state) {
    for (const std::string& file : s.files) {
      if (pictures::ratePictureFile(file) != pictures::PictureFileState::Usable)
        state.SkipWithError("a picture was rated broken");
    }
  }
}
BENCHMARK(BM_Rate25Squares)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinWarmUpTime(0.5);

void BM_Djpeg25Squares(benchmark::State& state) {
  const Squares& s = Squares::get();
  if (s.files.size() != kPictures) {
    state.SkipWithError("could not fetch 25 pictures from socialsim");
    return;
  }
  for ([[maybe_unused]] auto _ : state) {
    for (const std::string& file : s.files) {
      std::vector<std::string> words = {"djpeg", "-outfile", "/dev/null", file};
      std::vector<char*> argv;
      argv.reserve(words.size() + 1);
      for (std::string& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      pid_t pid = 0;
      if (::posix_spawnp(&pid, "djpeg", nullptr, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("djpeg (libjpeg-turbo-progs) is not installed");
        return;
      }
      int status = 0;
      ::waitpid(pid, &status, 0);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("djpeg failed");
    }
  }
}
BENCHMARK(BM_Djpeg25Squares)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinWarmUpTime(0.5);

}  // namespace

BENCHMARK_MAIN();
