// The dialog host: resource tables, the control model behind the dialog
// messages, and the modal loop that lays a template out, draws it with Dear
// ImGui (SDL2 and OpenGL2 back ends) in its own window and context, and turns
// clicks, Enter, Escape and the close box into the procedure's messages.
#include "platform/Dialog.h"
#include "platform/TestSeams.h"

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
#include <cstdlib>
#include <map>
#include <string>

namespace platform
{

namespace
{

enum class Kind
{
    PushButton,
    CheckBox,
    ComboBox,
    Text,
    Bitmap
};

struct Control
{
    int id = 0;
    Kind kind = Kind::Text;
    DWORD style = 0;
    std::string text;
    RECT rect{};
    std::vector<std::u16string> items;
    int selection = -1;
    UINT check = BST_UNCHECKED;
    int bitmapId = 0;
    GLuint texture = 0;
    int bitmapWidth = 0;
    int bitmapHeight = 0;
};

struct DialogRecord
{
    const DialogTemplate* dialogTemplate = nullptr;
    DLGPROC procedure = nullptr;
    std::vector<Control> controls;
    int defaultId = IDOK;
    bool ended = false;
    // Ended by a quit (a signal, say), which the program must still see.
    bool quit = false;
    INT_PTR result = 0;
    SDL_Window* window = nullptr;
    // Pixels per 4 horizontal and 8 vertical dialog units.
    int baseX = 6;
    int baseY = 13;
    // Commands from the frame just drawn, sent once it is finished.
    std::vector<WPARAM> pendingCommands;
};

std::vector<DialogRecord*>& LiveDialogs()
{
    static std::vector<DialogRecord*> live;
    return live;
}

bool& Fault()
{
    static bool fail = false;
    return fail;
}

std::function<void(HWND)>& FrameHook()
{
    static std::function<void(HWND)> hook;
    return hook;
}

HWND HandleOf(DialogRecord* record)
{
    return reinterpret_cast<HWND>(record);
}

// Handles are checked against the live dialogs before use.
DialogRecord* Lookup(HWND dialog)
{
    for (DialogRecord* record : LiveDialogs())
    {
        if (HandleOf(record) == dialog)
        {
            return record;
        }
    }
    return nullptr;
}

Control* FindControl(DialogRecord* record, int id)
{
    if (record == nullptr)
    {
        return nullptr;
    }
    for (Control& control : record->controls)
    {
        if (control.id == id)
        {
            return &control;
        }
    }
    return nullptr;
}

bool SameClass(const char16_t* name, const char* expected)
{
    if (name == nullptr)
    {
        return false;
    }
    std::size_t i = 0;
    for (; name[i] != 0 && expected[i] != 0; ++i)
    {
        const char16_t c = name[i];
        const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
        if (lower != static_cast<char16_t>(expected[i]))
        {
            return false;
        }
    }
    return name[i] == 0 && expected[i] == 0;
}

void BuildControls(DialogRecord& record)
{
    const DialogTemplate& t = *record.dialogTemplate;
    for (int i = 0; i < t.controlCount; ++i)
    {
        const DialogControl& source = t.controls[i];
        Control control;
        control.id = source.id;
        control.style = source.style;
        control.text = source.text != nullptr ? Utf16ToUtf8(source.text) : std::string();
        control.rect = DialogUnitsToPixels(source.x, source.y, source.cx, source.cy, record.baseX,
                                           record.baseY);
        control.bitmapId = source.bitmapId;
        if (SameClass(source.className, "button"))
        {
            const DWORD type = source.style & BS_TYPEMASK;
            control.kind = type == BS_AUTOCHECKBOX ? Kind::CheckBox : Kind::PushButton;
            if (type == BS_DEFPUSHBUTTON)
            {
                record.defaultId = source.id;
            }
        }
        else if (SameClass(source.className, "combobox"))
        {
            control.kind = Kind::ComboBox;
        }
        else if ((source.style & SS_TYPEMASK) == SS_BITMAP)
        {
            control.kind = Kind::Bitmap;
        }
        else
        {
            control.kind = Kind::Text;
        }
        record.controls.push_back(control);
    }
}

void Command(DialogRecord& record, int id, std::uint16_t code)
{
    if (!record.ended && record.procedure != nullptr)
    {
        record.procedure(HandleOf(&record), WM_COMMAND,
                         MAKEWPARAM(static_cast<std::uint16_t>(id), code), 0);
    }
}

// The close box: a procedure that leaves WM_CLOSE alone gets Cancel, as the
// default dialog handling does.
void Close(DialogRecord& record)
{
    if (!record.ended && record.procedure != nullptr &&
        record.procedure(HandleOf(&record), WM_CLOSE, 0, 0) == FALSE)
    {
        Command(record, IDCANCEL, BN_CLICKED);
    }
}

void Key(DialogRecord& record, int virtualKey)
{
    if (virtualKey == VK_RETURN)
    {
        Command(record, record.defaultId, BN_CLICKED);
    }
    else if (virtualKey == VK_ESCAPE)
    {
        Command(record, IDCANCEL, BN_CLICKED);
    }
}

void Click(DialogRecord& record, Control& control)
{
    if (control.kind == Kind::CheckBox)
    {
        control.check = control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    }
    if (control.kind == Kind::CheckBox || control.kind == Kind::PushButton)
    {
        Command(record, control.id, BN_CLICKED);
    }
}

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

void DrawControls(DialogRecord& record)
{
    for (std::size_t i = 0; i < record.controls.size(); ++i)
    {
        Control& control = record.controls[i];
        const float x = static_cast<float>(control.rect.left);
        const float y = static_cast<float>(control.rect.top);
        const float w = static_cast<float>(control.rect.right - control.rect.left);
        const float h = static_cast<float>(control.rect.bottom - control.rect.top);
        ImGui::SetCursorPos(ImVec2(x, y));
        ImGui::PushID(static_cast<int>(i));
        switch (control.kind)
        {
        case Kind::PushButton:
        {
            // The default button carries the heavier frame.
            const bool isDefault = control.id == record.defaultId;
            // The heavier frame straddles its edge; inset it a pixel so it
            // stays inside the control.
            const float inset = isDefault ? 1.0f : 0.0f;
            if (isDefault)
            {
                ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
                ImGui::SetCursorPos(ImVec2(x + inset, y + inset));
            }
            if (ImGui::Button(control.text.c_str(), ImVec2(w - 2.0f * inset, h - 2.0f * inset)))
            {
                record.pendingCommands.push_back(
                    MAKEWPARAM(static_cast<std::uint16_t>(control.id), BN_CLICKED));
            }
            if (isDefault)
            {
                ImGui::PopStyleVar();
            }
            break;
        }
        case Kind::CheckBox:
        {
            // The box is as tall as the control, not as a framed field.
            const ImVec2 padding = ImGui::GetStyle().FramePadding;
            ImGui::PushStyleVar(
                ImGuiStyleVar_FramePadding,
                ImVec2(padding.x,
                       std::max(0.0f, std::min(padding.y, (h - ImGui::GetFontSize()) * 0.5f))));
            bool checked = control.check != BST_UNCHECKED;
            if (ImGui::Checkbox(control.text.c_str(), &checked))
            {
                control.check = checked ? BST_CHECKED : BST_UNCHECKED;
                record.pendingCommands.push_back(
                    MAKEWPARAM(static_cast<std::uint16_t>(control.id), BN_CLICKED));
            }
            ImGui::PopStyleVar();
            break;
        }
        case Kind::ComboBox:
        {
            const int count = static_cast<int>(control.items.size());
            const std::string preview =
                control.selection >= 0 && control.selection < count
                    ? Utf16ToUtf8(
                          control.items[static_cast<std::size_t>(control.selection)].c_str())
                    : std::string();
            ImGui::SetNextItemWidth(w);
            // The template's height is the dropped list's, closed box included.
            ImGui::SetNextWindowSizeConstraints(
                ImVec2(0.0f, 0.0f),
                ImVec2(FLT_MAX, std::max(h - ImGui::GetFrameHeight(), ImGui::GetFrameHeight())));
            if (ImGui::BeginCombo("##list", preview.c_str()))
            {
                for (int k = 0; k < count; ++k)
                {
                    const std::string item =
                        Utf16ToUtf8(control.items[static_cast<std::size_t>(k)].c_str());
                    const bool selected = k == control.selection;
                    if (ImGui::Selectable(item.c_str(), selected) && !selected)
                    {
                        control.selection = k;
                        record.pendingCommands.push_back(
                            MAKEWPARAM(static_cast<std::uint16_t>(control.id), CBN_SELCHANGE));
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
            break;
        }
        case Kind::Bitmap:
            // A bitmap static shows the picture at its own size.
            if (control.texture != 0)
            {
                ImGui::Image(
                    reinterpret_cast<ImTextureID>(static_cast<std::uintptr_t>(control.texture)),
                    ImVec2(static_cast<float>(control.bitmapWidth),
                           static_cast<float>(control.bitmapHeight)));
            }
            break;
        case Kind::Text:
        {
            // A static control shows nothing outside its rectangle.
            const ImVec2 origin = ImGui::GetWindowPos();
            ImGui::PushClipRect(ImVec2(origin.x + x, origin.y + y),
                                ImVec2(origin.x + x + w, origin.y + y + h), true);
            ImGui::TextUnformatted(control.text.c_str());
            ImGui::PopClipRect();
            break;
        }
        }
        ImGui::PopID();
    }
}

void DrawFrame(DialogRecord& record, int width, int height)
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
    DrawControls(record);
    ImGui::End();
    ImGui::Render();
    int drawableWidth = width;
    int drawableHeight = height;
    SDL_GL_GetDrawableSize(record.window, &drawableWidth, &drawableHeight);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(record.window);
}

bool ListOpen()
{
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

void HandleEvent(DialogRecord& record, const SDL_Event& event)
{
    const Uint32 own = SDL_GetWindowID(record.window);
    switch (event.type)
    {
    case SDL_QUIT:
        record.quit = true;
        Close(record);
        return;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != own)
        {
            return;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
        {
            Close(record);
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
                Key(record, VK_RETURN);
                return;
            }
            if (sym == SDLK_ESCAPE)
            {
                Key(record, VK_ESCAPE);
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

void SendPending(DialogRecord& record)
{
    std::vector<WPARAM> commands;
    commands.swap(record.pendingCommands);
    for (WPARAM command : commands)
    {
        if (!record.ended)
        {
            record.procedure(HandleOf(&record), WM_COMMAND, command, 0);
        }
    }
}

void RunModal(DialogRecord& record, int width, int height)
{
    // The first frames settle the layout before the loop starts waiting.
    int framesToDraw = 2;
    while (!record.ended)
    {
        SDL_Event event;
        bool any = false;
        if (framesToDraw == 0 && SDL_WaitEventTimeout(&event, 500) != 0)
        {
            HandleEvent(record, event);
            any = true;
        }
        while (!record.ended && SDL_PollEvent(&event) != 0)
        {
            HandleEvent(record, event);
            any = true;
        }
        if (record.ended)
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
            DrawFrame(record, width, height);
            SendPending(record);
            if (!record.ended && FrameHook())
            {
                FrameHook()(HandleOf(&record));
            }
        }
    }
    // The box took the quit; it belongs to the program's loop as well.
    if (record.quit)
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

} // namespace

HWND CreateDialogModel(int templateId, DLGPROC procedure)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (t == nullptr)
    {
        return nullptr;
    }
    auto* record = new DialogRecord;
    record->dialogTemplate = t;
    record->procedure = procedure;
    BuildControls(*record);
    LiveDialogs().push_back(record);
    return HandleOf(record);
}

void DestroyDialogModel(HWND dialog)
{
    DialogRecord* record = Lookup(dialog);
    // Only models made by CreateDialogModel are owned here; a modal dialog's
    // record belongs to its loop.
    if (record == nullptr || record->window != nullptr)
    {
        return;
    }
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), record), live.end());
    delete record;
}

std::vector<RECT> GetDialogControlRects(HWND dialog)
{
    std::vector<RECT> rects;
    if (DialogRecord* record = Lookup(dialog))
    {
        for (const Control& control : record->controls)
        {
            rects.push_back(control.rect);
        }
    }
    return rects;
}

bool IsDialogEnded(HWND dialog, INT_PTR* result)
{
    DialogRecord* record = Lookup(dialog);
    if (record == nullptr || !record->ended)
    {
        return false;
    }
    if (result != nullptr)
    {
        *result = record->result;
    }
    return true;
}

void SetDialogFault(bool fail)
{
    Fault() = fail;
}

void SetDialogFrameHook(std::function<void(HWND dialog)> hook)
{
    FrameHook() = std::move(hook);
}

void PressDialogKey(HWND dialog, int virtualKey)
{
    DialogRecord* record = Lookup(dialog);
    if (record == nullptr)
    {
        return;
    }
    if (record->window == nullptr || (virtualKey != VK_RETURN && virtualKey != VK_ESCAPE))
    {
        Key(*record, virtualKey);
        return;
    }
    // Through the event queue, the way a real key arrives.
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(record->window);
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = virtualKey == VK_RETURN ? SDLK_RETURN : SDLK_ESCAPE;
    event.key.keysym.scancode = virtualKey == VK_RETURN ? SDL_SCANCODE_RETURN : SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&event);
}

void ClickDialogItem(HWND dialog, int id)
{
    DialogRecord* record = Lookup(dialog);
    Control* control = FindControl(record, id);
    if (control != nullptr)
    {
        Click(*record, *control);
    }
}

void CloseDialogBox(HWND dialog)
{
    DialogRecord* record = Lookup(dialog);
    if (record == nullptr)
    {
        return;
    }
    if (record->window == nullptr)
    {
        Close(*record);
        return;
    }
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(record->window);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    DialogRecord* record = Lookup(dialog);
    if (record == nullptr)
    {
        return FALSE;
    }
    record->ended = true;
    record->result = result;
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    Control* control = FindControl(Lookup(dialog), id);
    if (control == nullptr)
    {
        return 0;
    }
    if (control->kind != Kind::ComboBox)
    {
        return 0;
    }
    const int count = static_cast<int>(control->items.size());
    const auto index = static_cast<LRESULT>(static_cast<INT_PTR>(wParam));
    switch (message)
    {
    case CB_ADDSTRING:
    {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        if (text == nullptr)
        {
            return CB_ERR;
        }
        control->items.emplace_back(text);
        return count;
    }
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return control->selection >= 0 ? control->selection : CB_ERR;
    case CB_SETCURSEL:
        // Out of range (including -1) clears the selection and reports CB_ERR.
        if (index < 0 || index >= count)
        {
            control->selection = -1;
            return CB_ERR;
        }
        control->selection = static_cast<int>(index);
        return index;
    case CB_GETLBTEXTLEN:
        return index >= 0 && index < count
                   ? static_cast<LRESULT>(control->items[static_cast<std::size_t>(index)].size())
                   : CB_ERR;
    case CB_GETLBTEXT:
    {
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (index < 0 || index >= count || buffer == nullptr)
        {
            return CB_ERR;
        }
        const std::u16string& item = control->items[static_cast<std::size_t>(index)];
        std::copy(item.begin(), item.end(), buffer);
        buffer[item.size()] = 0;
        return static_cast<LRESULT>(item.size());
    }
    case CB_RESETCONTENT:
        control->items.clear();
        control->selection = -1;
        return 0;
    default:
        return 0;
    }
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    Control* control = FindControl(Lookup(dialog), id);
    if (control == nullptr || control->kind != Kind::CheckBox)
    {
        return FALSE;
    }
    control->check = check;
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    Control* control = FindControl(Lookup(dialog), id);
    return control != nullptr && control->kind == Kind::CheckBox ? control->check : BST_UNCHECKED;
}

BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect)
{
    Control* control = FindControl(Lookup(dialog), id);
    if (control == nullptr || rect == nullptr)
    {
        return FALSE;
    }
    *rect = control->rect;
    return TRUE;
}

INT_PTR DialogBoxParamW(HINSTANCE, int templateId, HWND, DLGPROC procedure, LPARAM param)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (Fault() || t == nullptr || procedure == nullptr)
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

    DialogRecord record;
    record.dialogTemplate = t;
    record.procedure = procedure;
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
    record.baseX = std::max(1, (static_cast<int>(lettersWidth + 0.5f) / 26 + 1) / 2);
    record.baseY = std::max(1, static_cast<int>(font->FontSize + 0.5f));
    BuildControls(record);
    const RECT client = DialogUnitsToPixels(0, 0, t->cx, t->cy, record.baseX, record.baseY);
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
    record.window = session.window;

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

    for (Control& control : record.controls)
    {
        if (control.kind == Kind::Bitmap)
        {
            const BitmapResource bitmap = LoadBitmapResource(control.bitmapId);
            control.texture = MakeTexture(bitmap);
            control.bitmapWidth = bitmap.width;
            control.bitmapHeight = bitmap.height;
        }
    }

    LiveDialogs().push_back(&record);
    record.procedure(HandleOf(&record), WM_INITDIALOG, 0, param);
    if (!record.ended)
    {
        SDL_ShowWindow(session.window);
        SDL_RaiseWindow(session.window);
        RunModal(record, width, height);
    }
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), &record), live.end());
    for (Control& control : record.controls)
    {
        if (control.texture != 0)
        {
            glDeleteTextures(1, &control.texture);
            control.texture = 0;
        }
    }
    return record.result;
}

} // namespace platform
