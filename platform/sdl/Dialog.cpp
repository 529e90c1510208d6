// The dialog host's view: DialogBoxParamW lays a template out in the base
// units of the font that draws it, draws its control model (DialogModel)
// with Dear ImGui (SDL2 and OpenGL2 back ends) in a window and GL context of
// its own, and feeds the model the clicks, Enter, Escape and close box that
// SDL delivers. Depends on SDL2, Dear ImGui, fontconfig and the GL.
#include "platform/Dialog.h"
#include "platform/SeamState.h"
#include "platform/posix/DialogModel.h"

#include "platform/Text.h"
#include "platform/Video.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include "platform/GL.h"
#include <fontconfig/fontconfig.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <string>
#include <vector>

namespace platform
{

namespace
{

// A bitmap static's picture, owned by the modal loop.
struct Picture
{
    GLuint texture = 0;
    int width = 0;
    int height = 0;
};

// What the modal loop draws and feeds: the model, its window, and the
// pictures by control index.
struct ModalDialog
{
    DialogModel& model;
    SDL_Window* window;
    std::vector<Picture> pictures;
    // Ended by a quit (a signal, say), which the program must still see.
    bool quit;
};

std::string FindFontFile(const char16_t* face)
{
    const std::string name = face != nullptr ? Utf16ToUtf8(face) : std::string("sans-serif");
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
    if (pattern == nullptr)
    {
        return path;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        file != nullptr)
    {
        path = reinterpret_cast<const char*>(file);
    }
    if (match != nullptr)
    {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    // The atlas reads TrueType outlines only.
    const std::size_t n = path.size();
    const bool trueType =
        n > 4 && (path.compare(n - 4, 4, ".ttf") == 0 || path.compare(n - 4, 4, ".TTF") == 0);
    return trueType ? path : std::string();
}

GLuint MakeTexture(const BitmapResource& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.bitsPerPixel != 24)
    {
        return 0;
    }
    const std::size_t stride = (static_cast<std::size_t>(bitmap.width) * 3 + 3) & ~std::size_t(3);
    if (bitmap.pixels.size() < stride * static_cast<std::size_t>(bitmap.height))
    {
        return 0;
    }
    // Bottom-up BGR rows become top-down RGB rows.
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(bitmap.width * bitmap.height) * 3);
    for (int y = 0; y < bitmap.height; ++y)
    {
        const std::uint8_t* src =
            &bitmap.pixels[stride * static_cast<std::size_t>(bitmap.height - 1 - y)];
        std::uint8_t* dst = &rgb[static_cast<std::size_t>(y * bitmap.width) * 3];
        for (int x = 0; x < bitmap.width; ++x)
        {
            dst[x * 3 + 0] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3 + 0];
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0)
    {
        return 0;
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, bitmap.width, bitmap.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 rgb.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return texture;
}

// A control's rectangle in the dialog's client area.
struct Box
{
    float x, y, w, h;
};

void Notify(ModalDialog& dialog, const DialogItem& control, std::uint16_t code)
{
    dialog.model.Queue(MAKEWPARAM(static_cast<std::uint16_t>(control.id), code));
}

void DrawPushButton(ModalDialog& dialog, const DialogItem& control, const Box& box)
{
    // The default button carries the heavier frame.
    const bool isDefault = control.id == dialog.model.GetDefaultId();
    // The heavier frame straddles its edge; inset it a pixel so it stays
    // inside the control.
    const float inset = isDefault ? 1.0f : 0.0f;
    if (isDefault)
    {
        ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
        ImGui::SetCursorPos(ImVec2(box.x + inset, box.y + inset));
    }
    if (ImGui::Button(control.text.c_str(), ImVec2(box.w - 2.0f * inset, box.h - 2.0f * inset)))
    {
        Notify(dialog, control, BN_CLICKED);
    }
    if (isDefault)
    {
        ImGui::PopStyleVar();
    }
}

void DrawCheckBox(ModalDialog& dialog, DialogItem& control, const Box& box)
{
    // The box is as tall as the control, not as a framed field.
    const ImVec2 padding = ImGui::GetStyle().FramePadding;
    ImGui::PushStyleVar(
        ImGuiStyleVar_FramePadding,
        ImVec2(padding.x,
               std::max(0.0f, std::min(padding.y, (box.h - ImGui::GetFontSize()) * 0.5f))));
    bool checked = control.check != BST_UNCHECKED;
    if (ImGui::Checkbox(control.text.c_str(), &checked))
    {
        control.check = checked ? BST_CHECKED : BST_UNCHECKED;
        Notify(dialog, control, BN_CLICKED);
    }
    ImGui::PopStyleVar();
}

void DrawComboBox(ModalDialog& dialog, DialogItem& control, const Box& box)
{
    const int count = static_cast<int>(control.items.size());
    const std::string preview =
        control.selection >= 0 && control.selection < count
            ? Utf16ToUtf8(control.items[static_cast<std::size_t>(control.selection)].c_str())
            : std::string();
    ImGui::SetNextItemWidth(box.w);
    // The template's height is the dropped list's, closed box included.
    ImGui::SetNextWindowSizeConstraints(
        ImVec2(0.0f, 0.0f),
        ImVec2(FLT_MAX, std::max(box.h - ImGui::GetFrameHeight(), ImGui::GetFrameHeight())));
    if (!ImGui::BeginCombo("##list", preview.c_str()))
    {
        return;
    }
    for (int k = 0; k < count; ++k)
    {
        const std::string item = Utf16ToUtf8(control.items[static_cast<std::size_t>(k)].c_str());
        const bool selected = k == control.selection;
        if (ImGui::Selectable(item.c_str(), selected) && !selected)
        {
            control.selection = k;
            Notify(dialog, control, CBN_SELCHANGE);
        }
        if (selected)
        {
            ImGui::SetItemDefaultFocus();
        }
    }
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)) ||
        ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)))
    {
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndCombo();
}

// A bitmap static shows the picture at its own size.
void DrawBitmap(const Picture& picture)
{
    if (picture.texture != 0)
    {
        ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<std::uintptr_t>(picture.texture)),
                     ImVec2(static_cast<float>(picture.width), static_cast<float>(picture.height)));
    }
}

// A static control shows nothing outside its rectangle.
void DrawStatic(const DialogItem& control, const Box& box)
{
    const ImVec2 origin = ImGui::GetWindowPos();
    ImGui::PushClipRect(ImVec2(origin.x + box.x, origin.y + box.y),
                        ImVec2(origin.x + box.x + box.w, origin.y + box.y + box.h), true);
    ImGui::TextUnformatted(control.text.c_str());
    ImGui::PopClipRect();
}

void DrawControls(ModalDialog& dialog)
{
    std::vector<DialogItem>& items = dialog.model.GetItems();
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        DialogItem& control = items[i];
        const Box box{static_cast<float>(control.rect.left), static_cast<float>(control.rect.top),
                      static_cast<float>(control.rect.right - control.rect.left),
                      static_cast<float>(control.rect.bottom - control.rect.top)};
        ImGui::SetCursorPos(ImVec2(box.x, box.y));
        ImGui::PushID(static_cast<int>(i));
        switch (control.kind)
        {
        case ControlKind::PushButton:
            DrawPushButton(dialog, control, box);
            break;
        case ControlKind::CheckBox:
            DrawCheckBox(dialog, control, box);
            break;
        case ControlKind::ComboBox:
            DrawComboBox(dialog, control, box);
            break;
        case ControlKind::Bitmap:
            DrawBitmap(dialog.pictures[i]);
            break;
        case ControlKind::Text:
            DrawStatic(control, box);
            break;
        }
        ImGui::PopID();
    }
}

void DrawFrame(ModalDialog& dialog, int width, int height)
{
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
    ImGui::Begin("##dialog", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);
    DrawControls(dialog);
    ImGui::End();
    ImGui::Render();
    int drawableWidth = width;
    int drawableHeight = height;
    SDL_GL_GetDrawableSize(dialog.window, &drawableWidth, &drawableHeight);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(dialog.window);
}

bool ListOpen()
{
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

void HandleEvent(ModalDialog& dialog, const SDL_Event& event)
{
    const Uint32 own = SDL_GetWindowID(dialog.window);
    switch (event.type)
    {
    case SDL_QUIT:
        dialog.quit = true;
        dialog.model.Close();
        return;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != own)
        {
            return;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
        {
            dialog.model.Close();
            return;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // Other windows are disabled while the dialog runs.
        if (event.key.windowID != own)
        {
            return;
        }
        if (event.type == SDL_KEYDOWN && !ListOpen())
        {
            const SDL_Keycode sym = event.key.keysym.sym;
            if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)
            {
                dialog.model.Key(VK_RETURN);
                return;
            }
            if (sym == SDLK_ESCAPE)
            {
                dialog.model.Key(VK_ESCAPE);
                return;
            }
        }
        break;
    case SDL_TEXTINPUT:
        if (event.text.windowID != own)
        {
            return;
        }
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.windowID != own)
        {
            return;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.windowID != own)
        {
            return;
        }
        break;
    case SDL_MOUSEWHEEL:
        if (event.wheel.windowID != own)
        {
            return;
        }
        break;
    default:
        break;
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
}

void RunModal(ModalDialog& dialog, int width, int height)
{
    // The first frames settle the layout before the loop starts waiting.
    int framesToDraw = 2;
    while (!dialog.model.IsEnded())
    {
        SDL_Event event;
        bool any = false;
        if (framesToDraw == 0 && SDL_WaitEventTimeout(&event, 500) != 0)
        {
            HandleEvent(dialog, event);
            any = true;
        }
        while (!dialog.model.IsEnded() && SDL_PollEvent(&event) != 0)
        {
            HandleEvent(dialog, event);
            any = true;
        }
        if (dialog.model.IsEnded())
        {
            break;
        }
        // Dear ImGui reacts to input one frame late; draw two after each.
        if (any)
        {
            framesToDraw = 2;
        }
        if (framesToDraw > 0)
        {
            --framesToDraw;
            DrawFrame(dialog, width, height);
            dialog.model.SendQueued();
            if (!dialog.model.IsEnded() && DialogFrameHook())
            {
                DialogFrameHook()(dialog.model.GetHandle());
            }
        }
    }
    // The box took the quit; it belongs to the program's loop as well.
    if (dialog.quit)
    {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

// Everything the modal loop makes, undone in reverse on every path.
struct ModalSession
{
    SDL_Window* previousWindow = nullptr;
    SDL_GLContext previousContext = nullptr;
    ImGuiContext* previousUi = nullptr;
    bool video = false;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    ImGuiContext* ui = nullptr;
    bool sdlBackend = false;
    bool glBackend = false;

    ~ModalSession()
    {
        if (glBackend)
        {
            ImGui_ImplOpenGL2_Shutdown();
        }
        if (sdlBackend)
        {
            ImGui_ImplSDL2_Shutdown();
        }
        if (ui != nullptr)
        {
            ImGui::DestroyContext(ui);
        }
        ImGui::SetCurrentContext(previousUi);
        if (context != nullptr)
        {
            SDL_GL_MakeCurrent(window, nullptr);
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr)
        {
            SDL_DestroyWindow(window);
        }
        if (previousContext != nullptr)
        {
            SDL_GL_MakeCurrent(previousWindow, previousContext);
        }
        if (video)
        {
            ReleaseVideo();
        }
    }
};

// A test's Enter, Escape or close box as SDL events for the dialog's
// window, so they reach it the way the user's do.
void RouteInput(std::uint32_t windowId, DialogInput input)
{
    SDL_Event event{};
    if (input == DialogInput::Close)
    {
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = windowId;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
    }
    else
    {
        const bool enter = input == DialogInput::Enter;
        event.type = SDL_KEYDOWN;
        event.key.windowID = windowId;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = enter ? SDLK_RETURN : SDLK_ESCAPE;
        event.key.keysym.scancode = enter ? SDL_SCANCODE_RETURN : SDL_SCANCODE_ESCAPE;
    }
    SDL_PushEvent(&event);
}

} // namespace

INT_PTR DialogBoxParamW(HINSTANCE, int templateId, HWND, DLGPROC procedure, LPARAM param)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (DialogFaulty() || t == nullptr || procedure == nullptr)
    {
        return -1;
    }
    ModalSession session;
    session.previousWindow = SDL_GL_GetCurrentWindow();
    session.previousContext = SDL_GL_GetCurrentContext();
    session.previousUi = ImGui::GetCurrentContext();
    session.video = AcquireVideo();
    if (!session.video)
    {
        return -1;
    }

    session.ui = ImGui::CreateContext();
    ImGui::SetCurrentContext(session.ui);
    ImGuiIO& io = ImGui::GetIO();
    // Nothing of the dialog is written to disk.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    const std::string fontFile = FindFontFile(t->fontFace);
    // The dialog font's cell is 13 pixels high at 96 dpi.
    if (fontFile.empty() || io.Fonts->AddFontFromFileTTF(fontFile.c_str(), 13.0f) == nullptr)
    {
        io.Fonts->AddFontDefault();
    }
    // Base units come from the font actually used, as the dialog manager
    // takes them from the template's font: the average width of the 52
    // letters and the cell height. Every label then fits its rectangle
    // whatever font stands in for the template's.
    if (!io.Fonts->Build() || io.Fonts->Fonts.empty())
    {
        return -1;
    }
    const ImFont* font = io.Fonts->Fonts[0];
    const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const float lettersWidth = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0.0f, letters).x;
    const int baseX = std::max(1, (static_cast<int>(lettersWidth + 0.5f) / 26 + 1) / 2);
    const int baseY = std::max(1, static_cast<int>(font->FontSize + 0.5f));
    DialogModel model(*t, procedure, baseX, baseY);
    const RECT client = DialogUnitsToPixels(0, 0, t->cx, t->cy, baseX, baseY);
    const int width = static_cast<int>(client.right);
    const int height = static_cast<int>(client.bottom);

    // A context of its own, shared with nobody and without multisampling.
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const std::string caption = t->caption != nullptr ? Utf16ToUtf8(t->caption) : std::string();
    const int position =
        (t->style & DS_CENTER) != 0 ? SDL_WINDOWPOS_CENTERED : SDL_WINDOWPOS_UNDEFINED;
    session.window =
        SDL_CreateWindow(caption.c_str(), position, position, width, height,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP);
    if (session.window == nullptr)
    {
        return -1;
    }
    session.context = SDL_GL_CreateContext(session.window);
    if (session.context == nullptr || SDL_GL_MakeCurrent(session.window, session.context) != 0)
    {
        return -1;
    }
    model.SetWindow(SDL_GetWindowID(session.window), &RouteInput);

    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.WindowBorderSize = 0.0f;
    style.FrameBorderSize = 1.0f;
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.94f, 0.94f, 0.94f, 1.0f);
    session.sdlBackend = ImGui_ImplSDL2_InitForOpenGL(session.window, session.context);
    session.glBackend = session.sdlBackend && ImGui_ImplOpenGL2_Init();
    if (!session.glBackend)
    {
        return -1;
    }

    ModalDialog dialog{model, session.window, {}, false};
    const std::vector<DialogItem>& items = model.GetItems();
    dialog.pictures.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        if (items[i].kind == ControlKind::Bitmap)
        {
            const BitmapResource bitmap = LoadBitmapResource(items[i].bitmapId);
            dialog.pictures[i] = {MakeTexture(bitmap), bitmap.width, bitmap.height};
        }
    }

    procedure(model.GetHandle(), WM_INITDIALOG, 0, param);
    if (!model.IsEnded())
    {
        SDL_ShowWindow(session.window);
        SDL_RaiseWindow(session.window);
        RunModal(dialog, width, height);
    }
    for (Picture& picture : dialog.pictures)
    {
        if (picture.texture != 0)
        {
            glDeleteTextures(1, &picture.texture);
            picture.texture = 0;
        }
    }
    return model.GetResult();
}

} // namespace platform
