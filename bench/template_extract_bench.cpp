// Template extraction on a large device configuration (both radios, seven
// additional SSIDs on each, 256 MAC filter entries), side by side with the
// floor of merely reading the same file: `gzip -dc BODY | xmllint --noout -`.
// Runs alternate between the two so that both see the same machine.
//
//   template-extract-bench [RUNS]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "template/config_file.h"
#include "template/template_engine.h"
#include "template/testing/config_fixtures.h"

using kav::tmpl::fixture::ConfigBuilder;
using Clock = std::chrono::steady_clock;

static double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 50;
  if (runs < 1) runs = 1;
  kav::tmpl::fixture::TempDir dir;

  ConfigBuilder config;
  config.Root("KAV-7420b").MacFilter(256, "2").MultiSsid(7);
  for (int n = 1; n <= 7; ++n) {
    std::string index = "index:" + std::to_string(n);
    config.Set({"wlan", "inf:1", "multi", index.c_str(), "auth"}, std::to_string(n % 2 ? 5 : 0));
  }
  config.SecondRadio();
  const std::string dcf = dir.File("large.dcf");
  config.WriteDcf(dcf);

  // The body alone, for gzip.
  std::string file = kav::tmpl::fixture::ReadFile(dcf);
  const std::string body = dir.File("large.body.gz");
  kav::tmpl::fixture::WriteFile(body, file.substr(std::string("KAV-7420b0").size()));
  const std::string floorCommand = "gzip -dc '" + body + "' | xmllint --noout -";
  if (kav::tmpl::fixture::RunShell(floorCommand) != 0) {
    std::fprintf(stderr, "the floor command fails: %s\n", floorCommand.c_str());
    return 1;
  }

  kav::tmpl::CTemplateEngine engine("192.168.0.50", nullptr);
  std::vector<double> extract, floor;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    if (engine.ExtractTemplate(dcf, dir.File("large.tpl")) != 1) {
      std::fprintf(stderr, "extraction failed\n");
      return 1;
    }
    auto t1 = Clock::now();
    kav::tmpl::fixture::RunShell(floorCommand);
    auto t2 = Clock::now();
    extract.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    floor.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  double e = Median(extract), f = Median(floor);
  std::printf("configuration: %zu bytes .dcf, %zu bytes of XML, template %zu bytes\n", file.size(), config.Xml().size(),
              static_cast<size_t>(std::filesystem::file_size(dir.File("large.tpl"))));
  std::printf("ExtractTemplate            median %.2f ms over %d runs\n", e, runs);
  std::printf("gzip -dc | xmllint --noout median %.2f ms over %d runs\n", f, runs);
  std::printf("ratio extract/floor %.2f (goal: at most 3.00) %s\n", e / f, e / f <= 3.0 ? "ok" : "MISSED");
  return e / f <= 3.0 ? 0 : 2;
}
