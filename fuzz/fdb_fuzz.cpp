// Fuzz target for the table store: the input is split into NAME.f, NAME.d and
// NAME.x, the table is opened, and every read the program makes is made.
//
// Input: two little-endian 16-bit lengths (of NAME.f and NAME.d), then the
// bytes of NAME.f, of NAME.d, and the rest as NAME.x.
#include <cstdint>
#include <cstring>
#include <string>

#include "Coding.h"
#include "Fdb.h"
#include "FuzzSupport.h"

using karo::fuzz::FuzzDir;
using karo::fuzz::PutFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t lenF = fdbcoding::DecodeFixed16(data);
  size_t lenD = fdbcoding::DecodeFixed16(data + 2);
  data += 4;
  size -= 4;
  if (lenF > size) lenF = size;
  if (lenD > size - lenF) lenD = size - lenF;
  const std::string dir = FuzzDir();
  PutFile(dir + "t.f", data, lenF);
  PutFile(dir + "t.d", data + lenF, lenD);
  PutFile(dir + "t.x", data + lenF + lenD, size - lenF - lenD);

  TfdbTable t;
  t.Dir = dir;
  t.Open("t");
  volatile size_t sink = 0;
  const uint32_t count = t.CurCount();
  for (int32_t f = -1; f <= t.FieldCount && f < 40; ++f) {
    for (uint32_t r = 0; r <= count && r < 200; ++r) {
      sink = sink + std::strlen(t.GetStr(static_cast<int32_t>(r), f));
      sink = sink + static_cast<uint32_t>(t.GetNum(static_cast<int32_t>(r), f));
    }
    t.FindPrefix(f, "a");
    t.SeekNum(f, 1);
  }
  if (t.FieldCount > 0) {
    t.Sort(0);
    t.Sort(t.FieldCount - 1);
    t.SelectNum(0, 0);
    t.GetStrByName(0, "jmeno");
  }
  if (t.BeginSelection() == 0) {
    for (uint32_t r = 0; r <= t.RecCount && r < 1000; ++r) t.AddToSelection(static_cast<int32_t>(r));
    t.SetOrder(1);
    if (t.FieldCount > 1) t.Sort(1);
  }
  (void)sink;
  return 0;
}
