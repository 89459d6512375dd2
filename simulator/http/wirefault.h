#pragma once
// A fault on the wire for the answer the current thread is writing: the handler asks for it,
// the connection loop of SimHttpServer carries it out after the answer has been produced.
#include <cstddef>

namespace sim {

struct WireFault {
  // CutBody keeps the headers as written (the client sees a body shorter than announced);
  // EndBodyEarly drops Content-Length, so the close reads as the end of a whole answer.
  // CloseAfterAnswer sends the whole answer and closes: for a request refused before its
  // body was read, whose unread bytes must not be taken for the next request.
  enum class Kind { None, CloseWithoutAnswer, CutBody, EndBodyEarly, CloseAfterAnswer };
  Kind kind = Kind::None;
  size_t bodyBytesKept = 0;  // for CutBody and EndBodyEarly

  // Asks for a fault on the answer being written on this thread.
  static void request(WireFault fault);
  // The fault asked for on this thread, if any.
  static const WireFault& current();
  static WireFault take();
};

}  // namespace sim
