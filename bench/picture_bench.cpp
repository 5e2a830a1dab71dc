// Drawing each picture from the hosts' reports, with the states of a device
// that `corvallo up` started on a temporary root; then a live frame's time
// split into its stages: the host's report, the drawing, the PNG encoding,
// the file a picture used to take, the base64 and the event that carries it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Screens.h"
#include "control/ControlClient.h"
#include "picture/Picture.h"
#include "serve/HostFeed.h"

namespace {

std::filesystem::path root;
nlohmann::json springBoard, settings;

std::string socketOf(const char* host) { return (root / "var/run/corvallo" / host).string(); }

void BM_DrawHomeScreen(benchmark::State& state) {
  for (auto _ : state) picture::drawHomeScreen(springBoard, (root / "home.png").string());
}
void BM_DrawSettingsPage(benchmark::State& state) {
  for (auto _ : state) picture::drawSettingsPage(settings, (root / "settings.png").string());
}
void BM_DrawSideBySide(benchmark::State& state) {
  for (auto _ : state) picture::drawSideBySide(springBoard, settings, (root / "both.png").string(), "A step");
}
BENCHMARK(BM_DrawHomeScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawSettingsPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawSideBySide)->Unit(benchmark::kMillisecond);

// ---- a live frame, stage by stage; argument 0 is the home screen, 1 Settings

const nlohmann::json& stateOf(const benchmark::State& s) { return s.range(0) == 0 ? springBoard : settings; }

std::unique_ptr<picture::Canvas> canvasOf(const benchmark::State& s) {
  return s.range(0) == 0 ? picture::homeScreen(springBoard) : picture::settingsPage(settings, root.string());
}

// The `state` request the feed makes for each frame: connect, ask, parse.
void BM_FrameAskState(benchmark::State& state) {
  std::string socket = socketOf(state.range(0) == 0 ? "springboard.sock" : "settings.sock");
  for (auto _ : state) benchmark::DoNotOptimize(control::Client(socket).request({{"op", "state"}}));
}
// Of which: reading the report's JSON text.
void BM_FrameParseState(benchmark::State& state) {
  std::string text = stateOf(state).dump();
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(text));
  state.counters["bytes"] = static_cast<double>(text.size());
}
// Drawing into memory: layout, text, shadows, everything but the encoding.
void BM_FrameDraw(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(canvasOf(state));
}
void BM_FrameEncodePng(benchmark::State& state) {
  auto canvas = canvasOf(state);
  std::size_t size = 0;
  for (auto _ : state) size = canvas->png().size();
  state.counters["bytes"] = static_cast<double>(size);
}
// What a frame cost when it went through a file and back.
void BM_FrameFileRoundTrip(benchmark::State& state) {
  std::string png = canvasOf(state)->png();
  std::string file = (root / "frame.png").string();
  for (auto _ : state) {
    picture::writeFile(file, png);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    benchmark::DoNotOptimize(bytes.str());
  }
}
void BM_FrameBase64(benchmark::State& state) {
  std::string png = canvasOf(state)->png();
  for (auto _ : state) benchmark::DoNotOptimize(serve::base64(png));
}
// The event's text as the server-sent stream carries it.
void BM_FrameEventText(benchmark::State& state) {
  std::string data = "data:image/png;base64," + serve::base64(canvasOf(state)->png());
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json{{"screen", "home"}, {"png", data}}.dump());
}
// The whole of it, as the feed does it after the report: draw and encode.
void BM_FrameDrawAndEncode(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(state.range(0) == 0 ? picture::homeScreenPng(springBoard)
                                                 : picture::settingsPagePng(settings, root.string()));
}
// The drawing's parts that cost the most: a line of text set with Pango,
// and a layer's shadow (a Gaussian blur of its shape) the size of a banner.
void BM_FrameTextLine(benchmark::State& state) {
  picture::Canvas canvas(390, 100);
  for (auto _ : state) canvas.text("Hide Page Dots", 16, 20, {0, 0, 0, 1}, {17});
}
void BM_FrameShadow(benchmark::State& state) {
  picture::Canvas canvas(390, 200);
  for (auto _ : state)
    canvas.shadow({16, 20, 358, 150}, static_cast<double>(state.range(0)), {1, 0, 0, 0.5}, 0, 0, [](cairo_t* m) {
      picture::roundedPath(m, {16, 20, 358, 150}, 12);
      cairo_fill(m);
    });
}

#define FRAME_STAGE(name) BENCHMARK(name)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
FRAME_STAGE(BM_FrameAskState);
FRAME_STAGE(BM_FrameParseState);
FRAME_STAGE(BM_FrameDraw);
FRAME_STAGE(BM_FrameEncodePng);
FRAME_STAGE(BM_FrameFileRoundTrip);
FRAME_STAGE(BM_FrameBase64);
FRAME_STAGE(BM_FrameEventText);
FRAME_STAGE(BM_FrameDrawAndEncode);
BENCHMARK(BM_FrameTextLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameShadow)->Arg(4)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/cvpic.XXXXXX";
  root = ::mkdtemp(tmpl);
  std::string corvallo = std::string(CORVALLO_BUILD_DIR) + "/bin/corvallo --root " + root.string();
  if (std::system((corvallo + " up >/dev/null").c_str()) != 0) return 1;
  std::system((corvallo + " set isHidePageDotsEnabled off >/dev/null").c_str());
  springBoard = control::Client(socketOf("springboard.sock")).request({{"op", "state"}});
  settings = control::Client(socketOf("settings.sock")).request({{"op", "state"}});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::system((corvallo + " down >/dev/null").c_str());
  std::filesystem::remove_all(root);
  return 0;
}
