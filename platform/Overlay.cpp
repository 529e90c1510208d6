// The overlay host both back ends share: one ImGui context of the overlay's
// own, made current only inside BeginFrame and EndFrame, and the drawing:
// fixed-function vertex arrays in window pixels, one font texture, and every
// GL state the drawing touches saved before and put back after. The back end
// supplies the window, the context and imgui's input back end
// (platform/OverlayInput.h).
#include "platform/Overlay.h"

#include "platform/GL.h"
#include "platform/OverlayInput.h"
#include "platform/TestSeams.h"

#include <imgui.h>

#include <cstdint>
#include <initializer_list>

namespace platform
{

namespace
{

Overlay* attached = nullptr;

struct PointerOverride
{
    bool active = false;
    float x = 0.0f;
    float y = 0.0f;
    bool down = false;
} pointerOverride;

// Every piece of state the drawing changes that the attribute stacks do not
// keep: the program, the texture unit, buffer bindings and the matrices.
class SavedState
{
public:
    SavedState()
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        if (epoxy_gl_version() >= 20)
        {
            glGetIntegerv(GL_CURRENT_PROGRAM, &program);
            glUseProgram(0);
        }
        if (epoxy_gl_version() >= 13)
        {
            glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
            glActiveTexture(GL_TEXTURE0);
            glClientActiveTexture(GL_TEXTURE0);
        }
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        if (epoxy_gl_version() >= 15)
        {
            glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
            glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
            glBindBuffer(GL_ARRAY_BUFFER, 0);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        }
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW})
        {
            glMatrixMode(mode);
            glPushMatrix();
            glLoadIdentity();
        }
    }

    ~SavedState()
    {
        for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW})
        {
            glMatrixMode(mode);
            glPopMatrix();
        }
        glMatrixMode(static_cast<GLenum>(matrixMode));
        if (epoxy_gl_version() >= 15)
        {
            glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(elementBuffer));
        }
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        if (epoxy_gl_version() >= 13)
        {
            glActiveTexture(static_cast<GLenum>(unit));
        }
        if (epoxy_gl_version() >= 20)
        {
            glUseProgram(static_cast<GLuint>(program));
        }
        glPopClientAttrib();
        glPopAttrib();
    }

    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    GLint program = 0;
    GLint unit = GL_TEXTURE0;
    GLint texture = 0;
    GLint arrayBuffer = 0;
    GLint elementBuffer = 0;
    GLint matrixMode = GL_MODELVIEW;
};

GLuint MakeFont(ImGuiIO& io)
{
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
    {
        return 0;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(name)));
    return name;
}

// Blended, textured triangles in window pixels, clipped per command.
void DrawLists(const ImDrawData& data)
{
    const float scaleX = data.FramebufferScale.x;
    const float scaleY = data.FramebufferScale.y;
    const int width = static_cast<int>(data.DisplaySize.x * scaleX);
    const int height = static_cast<int>(data.DisplaySize.y * scaleY);
    if (width <= 0 || height <= 0)
    {
        return;
    }
    for (GLenum cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_LIGHTING, GL_FOG,
                       GL_ALPHA_TEST, GL_COLOR_MATERIAL, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T,
                       GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q, GL_TEXTURE_1D, GL_COLOR_LOGIC_OP})
    {
        glDisable(cap);
    }
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (GLint i = units - 1; i >= 0 && epoxy_gl_version() >= 13; --i)
    {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + i));
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_3D);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glOrtho(data.DisplayPos.x, data.DisplayPos.x + data.DisplaySize.x,
            data.DisplayPos.y + data.DisplaySize.y, data.DisplayPos.y, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);

    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    const GLenum indexType = sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    for (int n = 0; n < data.CmdListsCount; ++n)
    {
        const ImDrawList* list = data.CmdLists[n];
        const ImDrawVert* vertices = list->VtxBuffer.Data;
        const ImDrawIdx* indices = list->IdxBuffer.Data;
        glVertexPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->pos);
        glTexCoordPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->uv);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ImDrawVert), &vertices->col);
        for (const ImDrawCmd& command : list->CmdBuffer)
        {
            if (command.UserCallback != nullptr)
            {
                command.UserCallback(list, &command);
                continue;
            }
            const float x0 = (command.ClipRect.x - data.DisplayPos.x) * scaleX;
            const float y0 = (command.ClipRect.y - data.DisplayPos.y) * scaleY;
            const float x1 = (command.ClipRect.z - data.DisplayPos.x) * scaleX;
            const float y1 = (command.ClipRect.w - data.DisplayPos.y) * scaleY;
            if (x1 <= x0 || y1 <= y0)
            {
                continue;
            }
            glScissor(static_cast<GLint>(x0), static_cast<GLint>(height - y1),
                      static_cast<GLsizei>(x1 - x0), static_cast<GLsizei>(y1 - y0));
            glBindTexture(GL_TEXTURE_2D,
                          static_cast<GLuint>(reinterpret_cast<std::intptr_t>(command.GetTexID())));
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(command.ElemCount), indexType,
                           indices + command.IdxOffset);
        }
    }
}

} // namespace

void SetOverlayPointer(float x, float y, bool down)
{
    pointerOverride = PointerOverride{true, x, y, down};
}

void ClearOverlayPointer()
{
    pointerOverride = PointerOverride();
}

Overlay::~Overlay()
{
    Detach();
}

bool Overlay::Attach(HWND target)
{
    Detach();
    if (attached != nullptr)
    {
        error = "another overlay is attached";
        return false;
    }
    OverlayTarget found;
    if (!FindOverlayTarget(target, found))
    {
        error = "no current GL context";
        return false;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* own = ImGui::CreateContext();
    ImGui::SetCurrentContext(own);
    ImGuiIO& io = ImGui::GetIO();
    // Nothing of the overlay is written to disk.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.BackendRendererName = "mivex_overlay";
    ImGui::StyleColorsDark();
    inputBackend = StartOverlayInput(found, own);
    ImGui::SetCurrentContext(previous);
    ui = own;
    window = found.window;
    context = found.context;
    if (!inputBackend)
    {
        error = "the input back end did not start";
        Detach();
        return false;
    }
    attached = this;
    error = "";
    return true;
}

void Overlay::Detach()
{
    if (ui == nullptr)
    {
        return;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* own = static_cast<ImGuiContext*>(ui);
    ImGui::SetCurrentContext(own);
    if (inputBackend)
    {
        StopOverlayInput();
        inputBackend = false;
    }
    // In another context the name may already be someone else's.
    if (fontTexture != 0 && IsCurrentOverlayContext(OverlayTarget{window, context}))
    {
        const GLuint name = fontTexture;
        glDeleteTextures(1, &name);
    }
    fontTexture = 0;
    ImGui::DestroyContext(own);
    ImGui::SetCurrentContext(previous == own ? nullptr : previous);
    if (attached == this)
    {
        attached = nullptr;
    }
    ui = nullptr;
    window = nullptr;
    context = nullptr;
}

bool Overlay::BeginFrame()
{
    if (ui == nullptr)
    {
        return false;
    }
    previousUi = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(static_cast<ImGuiContext*>(ui));
    // The font is made on the first frame, in the context it is drawn in.
    if (fontTexture == 0)
    {
        const SavedState saved;
        fontTexture = MakeFont(ImGui::GetIO());
    }
    NewOverlayInputFrame();
    if (pointerOverride.active)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(pointerOverride.x, pointerOverride.y);
        io.MouseDown[0] = pointerOverride.down;
    }
    ImGui::NewFrame();
    return true;
}

void Overlay::EndFrame()
{
    if (ui == nullptr || ImGui::GetCurrentContext() != ui)
    {
        return;
    }
    ImGui::Render();
    {
        const SavedState saved;
        DrawLists(*ImGui::GetDrawData());
    }
    ImGui::SetCurrentContext(static_cast<ImGuiContext*>(previousUi));
    previousUi = nullptr;
}

} // namespace platform
