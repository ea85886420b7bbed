// Clipper results found wrong by fuzzing where a sweep is cut to strips of
// a few vertices each and the strips are joined again, kept as tests; each
// comment says what went wrong.
#include "clipper_fuzz_cases.h"

#include <random>

namespace {

// Six shapes, the fifth a chain of six half circles crossing itself,
// xor-ed in by the fourth pass; strips of 16 vertices gave 0.58 more area
// than one plain sweep (strips of 64 agreed). A ring cut to a strip that
// leaves and re-enters it through one border gets edges there and back
// along that border; ClipperLib's exclusive-or of four such pieces came
// back with twice their area (15.8e6 square grid units for 7.8e6). Pieces
// now keep only the net count of edges along each border.
TEST(ClipperFuzzRegression, StripsOf16AgreeOnASelfCrossingChainOfHalfCircles) {
  std::vector<std::unique_ptr<GkShape>> shapes;
  shapes.push_back(std::make_unique<GkShape>());
  shapes[0]->AppendCompCurve(fuzzChain(
      {{{3.9998779296875, -3.720458984375}, 94}, {{3.1927490234375, 0.700439453125}, -53}}));
  shapes.push_back(std::make_unique<GkShape>());
  shapes[1]->AppendCompCurve(fuzzChain({{{-2.50146484375, -2.7821044921875}, 0},
                                        {{0.117431640625, 2.96240234375}, 117},
                                        {{2.9466552734375, 1.8880615234375}, 33},
                                        {{1.7557373046875, 3.629638671875}, 0},
                                        {{1.025390625, -1.9781494140625}, 0},
                                        {{3.5242919921875, -0.3760986328125}, -39}}));
  shapes.push_back(std::make_unique<GkShape>());
  shapes[2]->AppendCompCurve(fuzzChain({{{-2.70654296875, 2.538330078125}, 50},
                                        {{1.8634033203125, -2.512939453125}, -52},
                                        {{2.790771484375, 1.7398681640625}, 108}}));
  shapes[2]->AppendCompCurve(fuzzChain({{{-3.6226806640625, -1.3385009765625}, -62},
                                        {{0.700439453125, 2.9466552734375}, 81},
                                        {{1.8880615234375, 1.7557373046875}, -70},
                                        {{3.629638671875, -0.830322265625}, 59},
                                        {{-0.70947265625, -0.8350830078125}, 33},
                                        {{-0.8983154296875, -2.4002685546875}, -81}}));
  shapes.push_back(std::make_unique<GkShape>());
  shapes[3]->AppendCompCurve(fuzzChain({{{1.7398681640625, 1.57177734375}, -90},
                                        {{3.4000244140625, 1.90771484375}, 0},
                                        {{-3.3958740234375, -2.637939453125}, 0},
                                        {{-0.660400390625, -1.63330078125}, 0},
                                        {{-0.6337890625, -2.50146484375}, -52}}));
  shapes.push_back(std::make_unique<GkShape>());
  shapes[4]->AppendCompCurve(fuzzChain({{{-1.9625244140625, -2.460693359375}, -128},
                                        {{-3.5155029296875, -1.1966552734375}, -128},
                                        {{-3.6876220703125, 3.9998779296875}, -128},
                                        {{-3.134033203125, -3.87451171875}, -128},
                                        {{-2.3895263671875, -2.9814453125}, -128},
                                        {{-3.16552734375, -3.25}, -128}}));
  shapes[4]->AppendCompCurve(fuzzChain({{{1.32080078125, 3.703369140625}, -105},
                                        {{1.0093994140625, -2.0714111328125}, 0},
                                        {{1.1507568359375, 1.0030517578125}, 119},
                                        {{-3.5908203125, 1.5770263671875}, -127}}));
  shapes[4]->AppendCompCurve(
      circleLoop(0.120849609375, -2.155029296875, 1.0859845883878843, false));
  shapes.push_back(std::make_unique<GkShape>());
  shapes[5]->AppendCompCurve(circleLoop(2.8258056640625, 2.617431640625, 1.5552910658426795, true));
  const std::vector<GkClipType> types{kClipUnion, kClipXor, kClipUnion, kClipXor, kClipUnion};
  std::vector<GkShape*> operands;
  for (const auto& s : shapes) operands.push_back(s.get());
  const double plain = AreaOrFailure(operands, types, true);
  ASSERT_NEAR(plain, 107.155, 0.005);
  ExpectAreaInStrips(operands, types, plain);
}

// Rings that cross themselves and wander across many strip borders, both
// ways: every type, strips of 16 to 128 vertices against one plain sweep. Straight
// edges only, so both ways see the same edges and agree to rounding.
TEST(ClipperFuzzRegression, StripsAgreeWithOneSweepOnWanderingRings) {
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> u(-4.0, 4.0);
  for (int scene = 0; scene < 200; ++scene) {
    std::vector<std::unique_ptr<GkShape>> shapes;
    for (int s = 0; s < 4; ++s) {
      std::vector<std::pair<AcGePoint2d, int>> corners;
      for (int i = 0; i < 40; ++i) corners.push_back({AcGePoint2d(u(rng), u(rng)), 0});
      shapes.push_back(std::make_unique<GkShape>());
      shapes.back()->AppendCompCurve(fuzzChain(corners));
    }
    std::vector<GkShape*> operands;
    for (const auto& s : shapes) operands.push_back(s.get());
    const GkClipType type = static_cast<GkClipType>(scene % 4);
    const std::vector<GkClipType> types{kClipUnion, type, type};
    const double plain = AreaOrFailure(operands, types, true);
    SCOPED_TRACE(testing::Message() << "scene " << scene);
    ExpectAreaInStrips(operands, types, plain, 0.005);
  }
}

// A chain with a thin wedge, a chain of half circles, a bulge and two
// circles: xor, union, xor, xor. The last pass frames its group (the
// rings around it stand for the region outside), and its hole of 0.392
// straddles the border between two strips of 64 vertices. The union that
// joins the strips hung that hole on the frame by a channel along the
// border, both ways, and the frame was then dropped with the hole on it:
// 78.506 instead of 78.113. The joins now cut their rings where they pass
// through a vertex twice.
TEST(ClipperFuzzRegression, AHoleHungOnTheFrameAcrossAStripBorderStays) {
  std::vector<std::unique_ptr<GkShape>> shapes;
  for (int i = 0; i < 5; ++i) shapes.push_back(std::make_unique<GkShape>());
  shapes[0]->AppendCompCurve(fuzzChain({{{2.9473876953125, -1.4281005859375}, 84},
                                        {{1.603759765625, -1.5718994140625}, 0},
                                        {{-3.4176025390625, -1.459228515625}, 0},
                                        {{2.8055419921875, -2.307861328125}, -47}}));
  shapes[1]->AppendCompCurve(fuzzChain({{{1.1136474609375, 1.1136474609375}, -128},
                                        {{1.09375, -4}, -128},
                                        {{-4, -4}, -128},
                                        {{-4, -4}, -128},
                                        {{-4, -4}, -128}}));
  shapes[2]->AppendCompCurve(
      fuzzChain({{{-4, 2.9071044921875}, 57}, {{1.4620361328125, 2.2451171875}, 0}}));
  shapes[3]->AppendCompCurve(
      circleLoop(-1.11376953125, -1.11376953125, 0.69816128786144804, false));
  shapes[4]->AppendCompCurve(
      circleLoop(-1.114990234375, -1.427490234375, 0.64316777294575422, false));
  std::vector<GkShape*> operands;
  for (const auto& s : shapes) operands.push_back(s.get());
  const std::vector<GkClipType> types{kClipXor, kClipUnion, kClipXor, kClipXor};
  // The last pass's rings hold 78.1138.
  const double expected = 78.113;
  ExpectAreaInEveryWay(operands, types, expected);
}

}  // namespace
