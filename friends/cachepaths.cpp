#include "friends/cachepaths.h"

namespace friends {

CachePaths CachePaths::inFolder(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  CachePaths p;
  p.folder = folder;
  p.bf = folder + "bf.txt";
  p.bf1 = folder + "bf1.txt";
  p.vtS = folder + "vt_s.txt";
  p.rel = folder + "rel.txt";
  p.bdate = folder + "bdate.txt";
  p.status = folder + "status.txt";
  p.picSquare = folder + "pic_square/";
  p.pic = folder + "pic/";
  p.picBig = folder + "pic_big/";
  return p;
}

}  // namespace friends
