// Reading and setting the GL state that scenes carry between effects and frames.
#include "tools/lib/seekable_player/gl_snapshot.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace authoring {

namespace {

const GLenum kSwitches[] = {GL_ALPHA_TEST,  GL_BLEND,     GL_COLOR_MATERIAL, GL_CULL_FACE,
                            GL_DEPTH_TEST,  GL_FOG,       GL_LIGHTING,       GL_LIGHT0,
                            GL_LINE_SMOOTH, GL_NORMALIZE, GL_TEXTURE_1D,     GL_TEXTURE_2D,
                            GL_SCISSOR_TEST};

// The planes scene sets the fog's distance mode where the extension exists; elsewhere it
// cannot change and must not be asked for.
bool hasFogDistance() {
    static const bool has = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        return extensions && std::strstr(extensions, "GL_NV_fog_distance");
    }();
    return has;
}

void loadMatrix(GLenum mode, const float* matrix) {
    glMatrixMode(mode);
    glLoadMatrixf(matrix);
}

} // namespace

GlSnapshot GlSnapshot::take() {
    static_assert(sizeof kSwitches / sizeof kSwitches[0] == kSwitchCount, "one flag per switch");
    GlSnapshot state;
    for (int i = 0; i < kSwitchCount; ++i)
        state.enabled[i] = glIsEnabled(kSwitches[i]);
    glGetFloatv(GL_CURRENT_COLOR, state.colour);
    glGetFloatv(GL_CURRENT_NORMAL, state.normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, state.texCoord);
    glGetFloatv(GL_MODELVIEW_MATRIX, state.modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, state.projection);
    glGetFloatv(GL_TEXTURE_MATRIX, state.textureMatrix);
    glGetIntegerv(GL_MATRIX_MODE, &state.matrixMode);
    glGetIntegerv(GL_BLEND_SRC, &state.blendSource);
    glGetIntegerv(GL_BLEND_DST, &state.blendDestination);
    glGetIntegerv(GL_TEXTURE_BINDING_1D, &state.texture1d);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture2d);
    glGetIntegerv(GL_FOG_MODE, &state.fogMode);
    if (hasFogDistance())
        glGetIntegerv(GL_FOG_DISTANCE_MODE_NV, &state.fogDistanceMode);
    glGetFloatv(GL_FOG_DENSITY, &state.fogDensity);
    glGetFloatv(GL_FOG_START, &state.fogStart);
    glGetFloatv(GL_FOG_END, &state.fogEnd);
    glGetFloatv(GL_FOG_COLOR, state.fogColour);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &state.alphaFunction);
    glGetFloatv(GL_ALPHA_TEST_REF, &state.alphaReference);
    glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
    glGetIntegerv(GL_CULL_FACE_MODE, &state.cullFace);
    glGetIntegerv(GL_DEPTH_FUNC, &state.depthFunction);
    glGetIntegerv(GL_SHADE_MODEL, &state.shadeModel);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, state.clearColour);
    return state;
}

void GlSnapshot::restore() const {
    for (int i = 0; i < kSwitchCount; ++i)
        enabled[i] ? glEnable(kSwitches[i]) : glDisable(kSwitches[i]);
    glColor4fv(colour);
    glNormal3fv(normal);
    glTexCoord4fv(texCoord);
    loadMatrix(GL_MODELVIEW, modelView);
    loadMatrix(GL_PROJECTION, projection);
    loadMatrix(GL_TEXTURE, textureMatrix);
    glMatrixMode(static_cast<GLenum>(matrixMode));
    glBlendFunc(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination));
    glBindTexture(GL_TEXTURE_1D, static_cast<GLuint>(texture1d));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture2d));
    glFogi(GL_FOG_MODE, fogMode);
    if (hasFogDistance())
        glFogi(GL_FOG_DISTANCE_MODE_NV, fogDistanceMode);
    glFogf(GL_FOG_DENSITY, fogDensity);
    glFogf(GL_FOG_START, fogStart);
    glFogf(GL_FOG_END, fogEnd);
    glFogfv(GL_FOG_COLOR, fogColour);
    glAlphaFunc(static_cast<GLenum>(alphaFunction), alphaReference);
    glLineWidth(lineWidth);
    glCullFace(static_cast<GLenum>(cullFace));
    glDepthFunc(static_cast<GLenum>(depthFunction));
    glShadeModel(static_cast<GLenum>(shadeModel));
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

} // namespace authoring
