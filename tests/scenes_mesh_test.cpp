// The mesh and random-field scenes: the twister's arms, the crash's shards of the capture,
// the end cube, the stars after the crash, and the cubes, each read back from the frame.
#include "gfx/capture_texture.h"
#include "gfx/computed_textures.h"
#include "scenes/crash_scene.h"
#include "scenes/cubes_scene.h"
#include "scenes/end_cube_scene.h"
#include "scenes/stars_scene.h"
#include "scenes/twister_scene.h"
#include "tests/render_support.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using tarvo64k::Point3D;
using testgl::colourNear;
using testgl::readPixel;
using testgl::Rgb;

namespace {

// [SECTION] Twister

const Rgb kTwisterBackground = {40, 90, 160};

class Twister : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        testgl::writeSolidPicture("1", kTwisterBackground);
        createCellshadeTexture();
        testgl::startFrame();
        scene = std::make_unique<TwisterScene>();
    }
    void TearDown() override { glDeleteTextures(1, &cellshadeTexture); }

    std::unique_ptr<TwisterScene> scene;
};

Point3D ringCentre(const Point3D* points, int ring, int arm) {
    Point3D sum;
    for (int k = 0; k < 10; ++k)
        sum += points[60 * ring + 10 * arm + k];
    return sum * 0.1f;
}

float distance(const Point3D& a, const Point3D& b) {
    const Point3D d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

TEST_F(Twister, ArmsLeaveTheCentreAlongTheSixAxesAndCloseToAPoint) {
    const Point3D directions[6] = {{0, 1, 0}, {0, 0, -1}, {0, -1, 0},
                                   {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}};
    for (int arm = 0; arm < 6; ++arm) {
        const Point3D& axis = directions[arm];
        const Point3D base = ringCentre(scene->basePoints, 0, arm);
        EXPECT_LT(distance(base, axis * 0.5f), 1e-5f) << "arm " << arm;
        for (int k = 0; k < 10; ++k) {
            const Point3D& point = scene->basePoints[10 * arm + k];
            EXPECT_NEAR(distance(point, base), 1.0f, 1e-5f) << "arm " << arm << " point " << k;
            // The base ring lies across its arm.
            const Point3D offset = point - base;
            EXPECT_NEAR(offset.x * axis.x + offset.y * axis.y + offset.z * axis.z, 0, 1e-5f);
            EXPECT_LT(distance(scene->basePoints[60 * 19 + 10 * arm + k], axis * 11.9f), 1e-5f)
                << "tip of arm " << arm << " point " << k;
        }
    }
    // Base normals point out of the tube, away from its axis.
    const Point3D normal = scene->baseNormals[60 * 5 + 3];
    const Point3D outward = scene->basePoints[60 * 5 + 3] - ringCentre(scene->basePoints, 5, 0);
    EXPECT_GT(normal.x * outward.x + normal.y * outward.y + normal.z * outward.z, 0);
}

TEST_F(Twister, EveryQuadIsASmallPatchBetweenTwoRingsOfOneArm) {
    // Neighbouring ring points are 0.62 apart and rings 0.6: a quad that strayed onto another
    // arm or round the wrong way would span far more.
    ASSERT_EQ(scene->mesh.polygonCount, 1140);
    for (int g = 0; g < scene->mesh.polygonCount; ++g) {
        const tarvo64k::qPolygon& quad = scene->mesh.polygons[g];
        ASSERT_EQ(quad.count, 4);
        float widest = 0;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b)
                widest = std::max(widest, distance(scene->basePoints[quad.indices[a]],
                                                   scene->basePoints[quad.indices[b]]));
        EXPECT_LT(widest, 1.0f) << "quad " << g;
        EXPECT_GT(widest, 0.5f) << "quad " << g;
    }
}

TEST_F(Twister, ShowsAGreyStarOverThePictureAndFramesDoNotAccumulate) {
    scene->paint(0, 0, 0);
    const int probes[][2] = {{400, 300}, {360, 330}, {450, 260}, {300, 300}, {520, 300}};
    Rgb first[5];
    for (int p = 0; p < 5; ++p)
        first[p] = readPixel(probes[p][0], probes[p][1]);
    // The star in front of the backdrop is cell-shaded grey; the corners show the picture.
    const Rgb centre = first[0];
    EXPECT_TRUE(centre.r == centre.g && centre.g == centre.b && centre.r >= 127)
        << centre.r << " " << centre.g << " " << centre.b;
    EXPECT_PIXEL_NEAR(2, 2, kTwisterBackground, 2);
    EXPECT_PIXEL_NEAR(797, 597, kTwisterBackground, 2);

    // A second later the star has turned; painting 0 again shows the first picture, whatever
    // model-view matrix an earlier effect left.
    testgl::startFrame();
    scene->paint(1, 0, 0);
    int turned = 0;
    for (int p = 0; p < 5; ++p)
        turned += !colourNear(readPixel(probes[p][0], probes[p][1]), first[p], 2);
    EXPECT_GT(turned, 0);
    testgl::startFrame();
    glTranslatef(0.0f, 0.0f, -6.0f);
    scene->paint(0, 0, 0);
    for (int p = 0; p < 5; ++p)
        EXPECT_PIXEL_NEAR(probes[p][0], probes[p][1], first[p], 0);
    EXPECT_PIXEL_NEAR(2, 2, kTwisterBackground, 2);
    testgl::expectGlState({GL_DEPTH_TEST, GL_LIGHTING}, {});
}

// [SECTION] Crash and end cube: the captured frame shattered, and folded

// At progress 0 the crash's 13.3333 x 10 grid lies at depth 11.5, under a 45-degree field of
// view, and the end cube's 10.6664 x 8 sheet at depth 9.7.
const double kCrashEnlargement = 5.0 / (11.5 * std::tan(M_PI / 8));
const double kEndCubeScale = 4.0 / (9.7 * std::tan(M_PI / 8));

// The capture's pixel that window pixel (x, y) shows when the frame is enlarged about the centre.
Rgb enlargedCapture(int x, int y, double enlargement) {
    return testgl::framePixel(400 + (x + 0.5 - 400) / enlargement,
                              300 + (y + 0.5 - 300) / enlargement);
}

const int kCrashProbes[][2] = {{40, 40}, {400, 300}, {200, 450}, {760, 560}, {700, 100}};

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        testgl::fillRenderTexture();
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        testgl::startFrame();
    }
    void TearDown() override { glClearColor(0, 0, 0, 0); }

    CrashScene scene;
};

TEST_F(Crash, ShowsTheCaptureEnlargedAboutTheCentreOrBlackSilhouettes) {
    EXPECT_GT(kCrashEnlargement, 1.04);
    scene.paint(0, 0, 0);
    for (const auto& probe : kCrashProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1],
                          enlargedCapture(probe[0], probe[1], kCrashEnlargement), 2);
    GLint blendSource = 0, bound = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(blendSource, GL_SRC_ALPHA);
    EXPECT_EQ(static_cast<unsigned int>(bound), render_texture);
    testgl::expectGlState({GL_LIGHTING, GL_DEPTH_TEST}, {GL_BLEND, GL_TEXTURE_2D});

    // A colour other than white gives black silhouettes.
    testgl::startFrame();
    scene.trigger(0, "color", "black");
    scene.paint(0, 0, 0);
    for (const auto& probe : kCrashProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], (Rgb{0, 0, 0}), 0);

    // Half faded: black at alpha 0.5 over the grey clear colour, wherever a shard still is.
    glClear(GL_COLOR_BUFFER_BIT);
    scene.paint(0, 0, 0.02f);
    int darkened = 0;
    for (int x = 20; x < 800; x += 40) {
        const Rgb pixel = readPixel(x, 300);
        EXPECT_TRUE(pixel.r == pixel.g && pixel.g == pixel.b) << "at x " << x;
        darkened += pixel.r < 120 ? 1 : 0;
    }
    EXPECT_GT(darkened, 0);

    // Only the exact name and the exact value bring the picture back.
    for (const char* name : {"Color", "colour"})
        scene.trigger(0, name, "white");
    scene.trigger(0, "color", "White");
    EXPECT_EQ(scene.brightness, 0.0f);
    scene.trigger(0, "color", "white");
    glClear(GL_COLOR_BUFFER_BIT);
    scene.paint(0, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, enlargedCapture(400, 300, kCrashEnlargement), 2);
}

const Rgb kEndCubeBackground = {0, 160, 0};

class EndCube : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        testgl::writeSolidPicture("4", kEndCubeBackground);
        testgl::fillRenderTexture();
        testgl::startFrame();
        scene = std::make_unique<EndCubeScene>();
    }

    std::unique_ptr<EndCubeScene> scene;
};

TEST_F(EndCube, FlatAtZeroTheCaptureFillsTheWindowFoldedAtPointFourADarkRedCubeFlies) {
    scene->paint(0, 0, 0);
    EXPECT_NEAR(kEndCubeScale, 1.0, 0.005);
    const int probes[][2] = {{4, 4}, {795, 4}, {4, 595}, {795, 595}, {400, 300}, {200, 450}};
    for (const auto& probe : probes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], enlargedCapture(probe[0], probe[1], kEndCubeScale),
                          2);
    GLint culled = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &culled);
    EXPECT_EQ(culled, GL_BACK);
    testgl::expectGlState({GL_CULL_FACE}, {GL_TEXTURE_2D});

    // Folded at 0.4, the dark red cube flies over the background.
    testgl::startFrame();
    scene->paint(0, 0, 0.4f);
    // The flight leaves the cube's centre, (0, 0, 0) in model space, in the model-view matrix.
    double model[16], projection[16], x = 0, y = 0, z = 0;
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(0, 0, 0, model, projection, viewport, &x, &y, &z);
    // (4.55, -8.11, -34.92) after 0.4 of the flight.
    EXPECT_NEAR(x, 494.4, 2);
    EXPECT_NEAR(y, 131.7, 2);

    const Rgb centre = readPixel(static_cast<int>(x), static_cast<int>(y));
    EXPECT_TRUE(centre.r > 40 && centre.g < 10 && centre.b < 10)
        << centre.r << " " << centre.g << " " << centre.b;
    const int background[][2] = {{2, 2}, {797, 2}, {2, 597}, {797, 597}, {400, 300}};
    for (const auto& probe : background)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], kEndCubeBackground, 2);
    // A fully folded cube is two units wide: about 40 pixels at this distance.
    EXPECT_PIXEL_NEAR(static_cast<int>(x) + 45, static_cast<int>(y), kEndCubeBackground, 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// [SECTION] Stars

bool sameField(const StarsScene& a, const StarsScene& b) {
    for (int i = 0; i < StarsScene::kStarCount; ++i)
        if (!(a.stars[i].x == b.stars[i].x && a.stars[i].y == b.stars[i].y))
            return false;
    return true;
}

// The field continues the random sequence the crash scene seeds, so every run shows the same
// sky; a process that never built the crash scene gets another one.
TEST(StarsField, FollowsTheCrashScenesSeedAndStaysWithinTheSky) {
    CrashScene firstCrash;
    StarsScene first;
    CrashScene secondCrash;
    StarsScene second;
    EXPECT_TRUE(sameField(first, second));
    for (int i = 0; i < StarsScene::kStarCount; ++i)
        EXPECT_TRUE(std::abs(first.stars[i].x) <= 10 && std::abs(first.stars[i].y) <= 10) << i;
    std::srand(1); // the state of a process that never seeded
    StarsScene unseeded;
    EXPECT_FALSE(sameField(first, unseeded));
}

TEST(Stars, NothingAtProgressZeroAndHalfwayARedRimmedWhiteHexagramTurnedClockwise) {
    REQUIRE_GL_CONTEXT();
    glBindTexture(GL_TEXTURE_2D, 0);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    StarsScene scene;
    testgl::startFrame();
    scene.paint(0, 0, 0);
    int changed = 0;
    for (const Rgb& pixel : testgl::readRect(0, 0, 800, 600))
        changed += pixel.r != 51 || pixel.g != 102 || pixel.b != 153;
    EXPECT_EQ(changed, 0);
    glClearColor(0, 0, 0, 0);

    for (int i = 1; i < StarsScene::kStarCount; ++i)
        scene.stars[i] = {100, 100}; // out of view, leaving star 0 alone at the centre
    scene.stars[0] = {0, 0};
    testgl::startFrame();
    scene.paint(0, 0, 0.5f);
    // The hexagram lies at depth 14; radius 2 for the red star, 1.8 for the white one.
    const double pixelsPerUnit = 300 / (14 * std::tan(M_PI / 8));
    auto probe = [&](double radius, double degreesClockwiseFromUp) {
        const double a = degreesClockwiseFromUp * M_PI / 180;
        return readPixel(static_cast<int>(400 + radius * std::sin(a) * pixelsPerUnit),
                         static_cast<int>(300 + radius * std::cos(a) * pixelsPerUnit));
    };
    // Half-transparent dark red, then half-transparent white, over black. The two triangles
    // of a hexagram both cover its inner hexagon, which is thus blended twice per colour.
    const Rgb white = {153, 128, 128}, rim = {51, 0, 0}, none = {0, 0, 0};
    EXPECT_TRUE(colourNear(probe(0, 0), {210, 191, 191}, 3));
    // Turned 100 degrees clockwise: points at 100, 160, ... degrees.
    for (int point = 0; point < 6; ++point) {
        const double direction = 100 + 60 * point;
        SCOPED_TRACE(point);
        EXPECT_TRUE(colourNear(probe(1.5, direction), white, 3));
        EXPECT_TRUE(colourNear(probe(1.9, direction), rim, 3));
        EXPECT_TRUE(colourNear(probe(2.1, direction), none, 3));
        // Between the points, where the unturned star would have its tips.
        EXPECT_TRUE(colourNear(probe(1.7, direction + 30), none, 3));
    }
    testgl::expectGlState({GL_CULL_FACE}, {GL_BLEND, GL_ALPHA_TEST});
}

// [SECTION] Cubes: growing in, the phase steps on triggers, shrinking away, by covered area

int coverageAt(CubesScene& scene, float elapsed) {
    testgl::paintFrame(scene, elapsed);
    return testgl::litPixels();
}

TEST(CubesScene, GrowInOverTheFirstSecondWithOrangeRedFaces) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    CubesScene growing, full;
    full.trigger(0.3f, "", "");
    EXPECT_EQ(full.phase, 1);

    EXPECT_EQ(coverageAt(growing, 0.0f), 0);
    EXPECT_EQ(growing.phase, 0);
    const int half = coverageAt(growing, 0.5f);
    EXPECT_GT(half, 0);
    EXPECT_GT(coverageAt(full, 0.5f), half + half / 2);
    EXPECT_EQ(coverageAt(growing, 1.0f), coverageAt(full, 1.0f));
    EXPECT_EQ(growing.phase, 1);

    // Lit faces are orange-red; unnormalised normals of scaled cubes may saturate red, so
    // only the hue's order is sure. Texturing is left off.
    ASSERT_GT(coverageAt(full, 2.0f), 0);
    const std::vector<unsigned char> frame = testgl::readFrame();
    int offHue = 0, brightestRed = 0;
    for (size_t i = 0; i < frame.size(); i += 3) {
        offHue += frame[i + 2] > 0 || frame[i + 1] > frame[i];
        brightestRed = std::max(brightestRed, static_cast<int>(frame[i]));
    }
    EXPECT_EQ(offHue, 0);
    EXPECT_GT(brightestRed, 120);
    testgl::expectGlState({GL_DEPTH_TEST, GL_LIGHTING}, {GL_TEXTURE_2D});
}

TEST(CubesScene, SecondTriggerShrinksThemAwayAndTheThirdBringsThemBack) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    CubesScene scene, reference;
    reference.trigger(0.0f, "", "");
    coverageAt(scene, 1.5f);
    ASSERT_EQ(scene.phase, 1);

    scene.trigger(10.0f, "shrink", "anything");
    EXPECT_EQ(scene.phase, 2);
    EXPECT_EQ(coverageAt(scene, 10.0f), coverageAt(reference, 10.0f));
    const int halfway = coverageAt(scene, 10.5f);
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, coverageAt(reference, 10.5f) * 3 / 4);
    for (float elapsed : {11.0f, 11.9f, 40.0f})
        EXPECT_EQ(coverageAt(scene, elapsed), 0) << elapsed;

    scene.trigger(50.0f, "", "");
    EXPECT_EQ(scene.phase, 3);
    EXPECT_EQ(coverageAt(scene, 50.0f), coverageAt(reference, 50.0f));
    scene.trigger(60.0f, "", "");
    EXPECT_EQ(scene.phase, 4);
    EXPECT_EQ(coverageAt(scene, 60.5f), coverageAt(reference, 60.5f));
}

} // namespace
