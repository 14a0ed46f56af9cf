// Writes the fuzzers' seed corpus from the fixture writer: well-formed sets with internal
// and external TOCs, resident and on-demand resources, a few faults, and textures of
// every format code.
#include <cstdio>
#include <string>

#include "tests/resdata/fuzz/fuzz_set_input.h"
#include "tests/resdata/res_fixture.h"

using namespace resfixture;

namespace {

Resource Tex(const std::string& name, int code, uint16_t w, uint16_t h, bool resident) {
  Resource r;
  r.name = name;
  r.type = kTex;
  r.version = 15;
  r.bytes = SampleTex(code, w, h, uint32_t(code * 31 + w));
  r.resident = resident;
  return r;
}

SetContents Race(bool external) {
  SetContents s;
  s.external_toc = external;
  s.resources = {Tex("VXO_logo.tm0", 16, 16, 8, true), Tex("VXO_logo.tex", 65, 4, 4, false)};
  Resource model;
  model.name = "track";
  model.type = 0x4D4F444C;
  model.bytes = Noise(40, 9);
  s.resources.push_back(model);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: make_fuzz_seeds SET_DIR TEX_DIR\n");
    return 2;
  }
  const std::string set_dir = std::string(argv[1]) + "/", tex_dir = std::string(argv[2]) + "/";
  int n = 0;
  auto set_seed = [&](const std::string& tocres, const std::string& race) {
    return WriteBytes(set_dir + "seed" + std::to_string(n++), fuzzinput::Join(tocres, race));
  };
  bool ok = true;
  SetContents internal = Race(false);
  ok &= set_seed(BuildTocres({}), BuildSet(internal).file);
  SetContents external = Race(true);
  ok &= set_seed(BuildTocres({{"race.res", external}}), BuildSet(external).file);
  SetContents bad_crc = Race(false);
  bad_crc.resources[1].wrong_crc = true;
  ok &= set_seed(BuildTocres({}), BuildSet(bad_crc).file);
  SetContents mismatch = Race(true);
  mismatch.toc_create_time_delta = 1;
  mismatch.toc_cut = 10;
  ok &= set_seed(BuildTocres({{"race.res", mismatch}}), BuildSet(mismatch).file);
  ok &= set_seed(BuildTocres({}, Race(false).resources), BuildSet(SetContents()).file);

  const int codes[] = {0, 1, 2, 3, 16, 17, 23, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 5};
  for (int code : codes) {
    ok &= WriteBytes(tex_dir + "code" + std::to_string(code), SampleTex(code, 9, 5, uint32_t(code)));
    ok &= WriteBytes(tex_dir + "code" + std::to_string(code) + "_8x8", SampleTex(code, 8, 8, uint32_t(code + 1)));
  }
  if (!ok) {
    fprintf(stderr, "make_fuzz_seeds: could not write the seeds\n");
    return 1;
  }
  return 0;
}
