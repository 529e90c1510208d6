// Lanes are one ImGui window above the timeline strip, with the same side
// padding and name column, so a lane's x is the strip's x for the same time
// until the wheel zooms the lanes.
#include "production/TrackEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <imgui.h>

namespace MivexGL
{

namespace
{

constexpr float kLaneHeight = 44.0f;
constexpr float kKeyRadius = 3.0f;
constexpr float kGrab = 6.0f;
constexpr const char* kTypeNames[cSyncKey::kInterpolationCount] = {"step", "linear", "smooth",
                                                                   "ramp"};

bool Pressed(ImGuiKey key)
{
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key));
}

// Dear ImGui names only a few letters; both input back ends number the
// letters in a row from A, so the others are counted from it.
bool LetterPressed(char letter)
{
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_A) + (letter - 'A'));
}

// One draw list indexes 65536 vertices: whatever would pass that is left
// out rather than break the frame, with room kept for the text and lines.
bool Room(const ImDrawList* draw, int vertices)
{
    return draw->_VtxCurrentIdx + static_cast<unsigned>(vertices) < 60000u;
}

} // namespace

// Time on x for the lanes, and rows of that time.
struct cTrackEditor::Axis
{
    float x = 0.0f;
    float width = 1.0f;
    double start = 0.0;
    double end = 1.0;
    double rowsPerMs = 0.016;

    float XOfMs(double ms) const
    {
        return x + static_cast<float>((ms - start) / (end - start)) * width;
    }
    double MsOfX(float at) const { return start + (at - x) / width * (end - start); }
    float XOfRow(double row) const { return XOfMs(row / rowsPerMs); }
    std::uint32_t RowOfX(float at) const
    {
        const double row = std::floor(MsOfX(at) * rowsPerMs + 0.5);
        return static_cast<std::uint32_t>(std::clamp(row, 0.0, 4294967295.0));
    }
};

namespace
{

// A lane's values on y: its keys fit, with a margin.
struct ValueScale
{
    float top = 0.0f;
    float height = 1.0f;
    float low = -1.0f;
    float high = 1.0f;

    ValueScale(const cSyncTrack& track, float laneTop)
        : top(laneTop + 3.0f), height(kLaneHeight - 6.0f)
    {
        const std::vector<cSyncKey>& keys = track.GetKeys();
        if (!keys.empty())
        {
            auto [lo, hi] = std::minmax_element(keys.begin(), keys.end(),
                                                [](const cSyncKey& a, const cSyncKey& b)
                                                { return a.value < b.value; });
            low = lo->value;
            high = hi->value;
        }
        const float margin = high > low ? (high - low) * 0.1f : 1.0f;
        low -= margin;
        high += margin;
    }
    float YOf(float value) const { return top + (high - value) / (high - low) * height; }
    float ValueOf(float y) const { return high - (y - top) / height * (high - low); }
    float PerPixel() const { return (high - low) / height; }
};

} // namespace

void cTrackEditor::Toggle()
{
    open = !open;
    keyboard = open;
    placeCursor = open;
    typed.clear();
}

bool cTrackEditor::TakeEscape()
{
    if (!HasKeyboard())
    {
        return false;
    }
    keyboard = false;
    typed.clear();
    return true;
}

void cTrackEditor::Draw(const cTimelineView& view, float timelineHeight)
{
    if (!open)
    {
        return;
    }
    if (placeCursor)
    {
        model.SetCursor(0, static_cast<std::uint32_t>(std::floor(sync.RowAt(view.now))));
        placeCursor = false;
    }
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float lanes =
        kLaneHeight * static_cast<float>(std::max<std::size_t>(1, model.TrackCount()));
    const float height = std::min(line * 2.0f + lanes + 16.0f, display.y * 0.6f);
    ImGui::SetNextWindowPos(ImVec2(0.0f, display.y - timelineHeight - height), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(display.x, height), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.75f);
    ImGui::Begin("Tracks", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings);
    const std::vector<std::string> unsaved = sync.UnsavedTracks();
    std::string status = model.ReadOnly() ? "read-only: the sync editor's keys rule"
                         : keyboard       ? "keyboard: " + (typed.empty() ? "-" : typed)
                                          : "mouse only: F3 twice gives it the keyboard";
    status += unsaved.empty() ? "  |  saved" : "  |  unsaved: ";
    for (std::size_t i = 0; i < unsaved.size() && i < 6; ++i)
    {
        status += (i == 0 ? "" : ", ") + unsaved[i];
    }
    const cSyncKey* atCursor = model.KeyAt(model.CursorTrack(), model.CursorRow());
    ImGui::Text("row %u  %s  %s", model.CursorRow(),
                atCursor != nullptr ? kTypeNames[atCursor->interpolation] : "", status.c_str());

    const float nameWidth = std::min(display.x * 0.25f, 180.0f);
    Axis axis;
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    axis.x = origin.x + nameWidth;
    axis.width = std::max(1.0f, ImGui::GetContentRegionAvail().x - nameWidth);
    const double length = std::max<std::int32_t>(1, view.length);
    if (viewEnd <= viewStart)
    {
        viewStart = 0.0;
        viewEnd = length;
    }
    axis.start = viewStart;
    axis.end = viewEnd;
    axis.rowsPerMs = sync.RowAt(60000) / 60000.0;
    if (keyboard)
    {
        Keyboard();
    }
    // Lanes scroll in a window of their own; the wheel zooms time instead.
    ImGui::BeginChild("##lanes", ImVec2(0.0f, 0.0f), false, ImGuiWindowFlags_NoScrollWithMouse);
    Lanes(view, axis);
    ImGui::EndChild();
    ImGui::End();
}

void cTrackEditor::Keyboard()
{
    const ImGuiIO& io = ImGui::GetIO();
    const auto beat = static_cast<std::int64_t>(std::max(1.0, std::round(sync.GetRowsPerBeat())));
    if (io.KeyCtrl)
    {
        if (LetterPressed('Z'))
        {
            model.Undo();
        }
        if (LetterPressed('Y'))
        {
            model.Redo();
        }
        if (LetterPressed('S'))
        {
            model.Save();
        }
        if (LetterPressed('C'))
        {
            // The selected keys' rows and tracks, or a beat from the cursor.
            std::size_t t0 = model.CursorTrack();
            std::size_t t1 = t0;
            std::uint32_t r0 = model.CursorRow();
            std::uint32_t r1 =
                static_cast<std::uint32_t>(std::min<std::int64_t>(r0 + beat - 1, UINT32_MAX));
            if (!model.Selection().empty())
            {
                t0 = model.Selection().begin()->first;
                t1 = model.Selection().rbegin()->first;
                r0 = UINT32_MAX;
                r1 = 0;
                for (const auto& key : model.Selection())
                {
                    r0 = std::min(r0, key.second);
                    r1 = std::max(r1, key.second);
                }
            }
            model.Copy(t0, t1, r0, r1);
        }
        if (LetterPressed('V'))
        {
            model.Paste();
        }
        return;
    }
    for (int i = 0; i < io.InputQueueCharacters.Size; ++i)
    {
        const ImWchar c = io.InputQueueCharacters[i];
        if ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == '+')
        {
            typed += static_cast<char>(c);
        }
        else if (c == 'i' || c == 'I')
        {
            model.CycleType(model.CursorTrack(), model.CursorRow());
        }
    }
    if (Pressed(ImGuiKey_Backspace) && !typed.empty())
    {
        typed.pop_back();
    }
    if (Pressed(ImGuiKey_Enter) || Pressed(ImGuiKey_KeyPadEnter))
    {
        char* end = nullptr;
        const float value = std::strtof(typed.c_str(), &end);
        if (!typed.empty() && *end == '\0' && std::isfinite(value))
        {
            model.SetKey(model.CursorTrack(), model.CursorRow(), value);
        }
        typed.clear();
    }
    model.MoveCursor(0, (Pressed(ImGuiKey_RightArrow) ? 1 : 0) -
                            (Pressed(ImGuiKey_LeftArrow) ? 1 : 0));
    model.MoveCursor((Pressed(ImGuiKey_DownArrow) ? 1 : 0) - (Pressed(ImGuiKey_UpArrow) ? 1 : 0),
                     0);
    model.MoveCursor(
        0, ((Pressed(ImGuiKey_PageDown) ? 1 : 0) - (Pressed(ImGuiKey_PageUp) ? 1 : 0)) * beat);
    if (Pressed(ImGuiKey_Home))
    {
        model.SetCursor(model.CursorTrack(), 0);
    }
    if (Pressed(ImGuiKey_Space))
    {
        model.Select({model.CursorTrack(), model.CursorRow()}, true);
    }
    if (Pressed(ImGuiKey_Delete))
    {
        model.DeleteKeys();
    }
}

void cTrackEditor::Lanes(const cTimelineView& view, const Axis& axis)
{
    const ImGuiIO& io = ImGui::GetIO();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const std::size_t count = model.TrackCount();
    const float total = kLaneHeight * static_cast<float>(std::max<std::size_t>(1, count));
    draw->PushClipRect(ImVec2(origin.x, origin.y), ImVec2(axis.x + axis.width, origin.y + total),
                       true);
    const ImVec2 mouse = io.MousePos;
    const int hoveredLane =
        mouse.y >= origin.y ? static_cast<int>((mouse.y - origin.y) / kLaneHeight) : -1;
    std::size_t hitTrack = count;
    std::uint32_t hitRow = 0;
    float hitDistance = kGrab + 1.0f;
    // Only the lanes in sight are drawn: a frame's vertices stay within what
    // one draw list can index, however many tracks and keys there are.
    const float seenTop = ImGui::GetWindowPos().y;
    const float seenBottom = seenTop + ImGui::GetWindowHeight();
    Waveform(axis, std::max(origin.y, seenTop), std::min(total, seenBottom - seenTop));
    std::vector<ImVec2> curve;
    // Plain lines: anti-aliased ones cost a software renderer several
    // times the triangles, for curves that read as well without.
    const ImDrawListFlags flags = draw->Flags;
    draw->Flags &= ~(ImDrawListFlags_AntiAliasedLines | ImDrawListFlags_AntiAliasedLinesUseTex |
                     ImDrawListFlags_AntiAliasedFill);
    for (std::size_t t = 0; t < count; ++t)
    {
        const cSyncTrack& track = model.Track(t);
        const float top = origin.y + kLaneHeight * static_cast<float>(t);
        if (top + kLaneHeight < seenTop || top > seenBottom)
        {
            continue;
        }
        const ValueScale scale(track, top);
        // A line between lanes, not a filled lane: a software renderer pays
        // for every blended pixel.
        draw->AddLine(ImVec2(axis.x, top + kLaneHeight - 1.0f),
                      ImVec2(axis.x + axis.width, top + kLaneHeight - 1.0f),
                      IM_COL32(90, 90, 110, 255));
        draw->AddText(ImVec2(origin.x, top + 2.0f),
                      t == model.CursorTrack() && keyboard ? IM_COL32(255, 220, 60, 255)
                                                           : IM_COL32(230, 230, 230, 255),
                      track.GetName().c_str());
        // The curve as the track plays it, four pixels a step.
        curve.clear();
        for (float x = axis.x; x <= axis.x + axis.width; x += 4.0f)
        {
            curve.emplace_back(x, scale.YOf(track.ValueAt(axis.MsOfX(x) * axis.rowsPerMs)));
        }
        if (Room(draw, static_cast<int>(curve.size()) * 4))
        {
            draw->AddPolyline(curve.data(), static_cast<int>(curve.size()),
                              IM_COL32(120, 200, 255, 255), ImDrawFlags_None, 1.5f);
        }
        float lastKeyX = -1e9f;
        for (const cSyncKey& key : track.GetKeys())
        {
            const ImVec2 p(axis.XOfRow(key.row), scale.YOf(key.value));
            const bool selected = model.Selection().count({t, key.row}) != 0;
            // Markers that would mostly overlap the one before are left out
            // (the wheel zooms them apart); a selected one is always shown.
            const bool apart = p.x - lastKeyX >= kKeyRadius * 2.0f || (selected && p.x > lastKeyX);
            if (p.x >= axis.x - kKeyRadius && p.x <= axis.x + axis.width + kKeyRadius && apart &&
                Room(draw, 4))
            {
                lastKeyX = p.x;
                draw->AddRectFilled(ImVec2(p.x - kKeyRadius, p.y - kKeyRadius),
                                    ImVec2(p.x + kKeyRadius, p.y + kKeyRadius),
                                    selected ? IM_COL32(255, 220, 60, 255)
                                             : IM_COL32(240, 240, 240, 255));
            }
            // A key is grabbed by its row anywhere in its lane: the nearest
            // within a few pixels.
            const float dx = std::abs(mouse.x - p.x);
            if (static_cast<int>(t) == hoveredLane && dx <= kGrab && dx < hitDistance)
            {
                hitTrack = t;
                hitRow = key.row;
                hitDistance = dx;
            }
        }
        if (keyboard && t == model.CursorTrack())
        {
            const float x = axis.XOfRow(model.CursorRow());
            draw->AddRect(ImVec2(x - 3.0f, top + 1.0f), ImVec2(x + 3.0f, top + kLaneHeight - 1.0f),
                          IM_COL32(255, 220, 60, 255));
        }
    }
    const float nowX = axis.XOfMs(view.now);
    draw->AddLine(ImVec2(nowX, origin.y), ImVec2(nowX, origin.y + total),
                  IM_COL32(255, 220, 60, 255), 2.0f);
    if (boxing)
    {
        draw->AddRect(ImVec2(std::min(boxX, mouse.x), std::min(boxY, mouse.y)),
                      ImVec2(std::max(boxX, mouse.x), std::max(boxY, mouse.y)),
                      IM_COL32(255, 255, 255, 200));
    }
    draw->Flags = flags;
    draw->PopClipRect();

    ImGui::SetCursorScreenPos(ImVec2(axis.x, origin.y));
    ImGui::InvisibleButton("##lanes", ImVec2(axis.width, total),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    const bool hovered = ImGui::IsItemHovered();
    const auto lane = static_cast<std::size_t>(std::max(hoveredLane, 0));
    if (hovered && io.MouseWheel != 0.0f)
    {
        // Zoomed about the time under the pointer.
        const double at = axis.MsOfX(mouse.x);
        const double factor = std::pow(0.8, io.MouseWheel);
        const double span =
            std::clamp((viewEnd - viewStart) * factor, 100.0, std::max(100.0, view.length * 4.0));
        viewStart = at - (at - viewStart) / (viewEnd - viewStart) * span;
        viewEnd = viewStart + span;
    }
    if (hovered && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left) && hitTrack == count &&
        lane < count)
    {
        const ValueScale scale(model.Track(lane),
                               origin.y + kLaneHeight * static_cast<float>(lane));
        model.SetKey(lane, axis.RowOfX(mouse.x), scale.ValueOf(mouse.y));
        model.SetCursor(lane, axis.RowOfX(mouse.x));
        boxing = false;
    }
    else if (hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Left))
    {
        if (hitTrack < count)
        {
            if (io.KeyShift)
            {
                model.Select({hitTrack, hitRow}, true);
            }
            else
            {
                model.BeginMove({hitTrack, hitRow});
                const ValueScale scale(model.Track(hitTrack), origin.y);
                dragX = mouse.x;
                dragY = mouse.y;
                dragValuePerPixel = scale.PerPixel();
            }
            model.SetCursor(hitTrack, hitRow);
        }
        else
        {
            boxing = true;
            boxX = mouse.x;
            boxY = mouse.y;
        }
    }
    if (model.Moving() && ImGui::IsMouseDown(ImGuiMouseButton_Left))
    {
        const std::int64_t rows =
            static_cast<std::int64_t>(axis.RowOfX(mouse.x)) - axis.RowOfX(dragX);
        model.MoveBy(rows, (dragY - mouse.y) * dragValuePerPixel);
    }
    if (ImGui::IsMouseReleased(ImGuiMouseButton_Left))
    {
        model.EndMove();
        if (boxing && (std::abs(mouse.x - boxX) > 3.0f || std::abs(mouse.y - boxY) > 3.0f))
        {
            const auto laneOf = [&](float y)
            {
                return static_cast<std::size_t>(
                    std::clamp((y - origin.y) / kLaneHeight, 0.0f, static_cast<float>(count)));
            };
            model.SelectBox(laneOf(std::min(boxY, mouse.y)), laneOf(std::max(boxY, mouse.y)),
                            axis.RowOfX(std::min(boxX, mouse.x)),
                            axis.RowOfX(std::max(boxX, mouse.x)), io.KeyShift);
        }
        else if (boxing && lane < count)
        {
            if (!io.KeyShift)
            {
                model.ClearSelection();
            }
            model.SetCursor(lane, axis.RowOfX(mouse.x));
        }
        boxing = false;
    }
    if (hovered && hitTrack < count && ImGui::IsMouseClicked(ImGuiMouseButton_Right))
    {
        model.CycleType(hitTrack, hitRow);
    }
    if (hovered && !keyboard && Pressed(ImGuiKey_Delete))
    {
        model.DeleteKeys();
    }
    if (hovered && hitTrack < count)
    {
        const cSyncKey* key = model.KeyAt(hitTrack, hitRow);
        if (key != nullptr)
        {
            ImGui::SetTooltip("row %u  %g  %s", key->row, static_cast<double>(key->value),
                              kTypeNames[key->interpolation]);
        }
    }
}

void cTrackEditor::Waveform(const Axis& axis, float top, float height)
{
    constexpr float kColumn = 3.0f;
    constexpr double kSamplesPerMs = 44.1;
    if (music == nullptr || music->empty() || height <= 0.0f)
    {
        return;
    }
    // Found again only when the time shown or the tune changes.
    const auto columns = static_cast<std::size_t>(axis.width / kColumn) + 1;
    if (peaksStart != axis.start || peaksEnd != axis.end || peaksOf != music->size() ||
        peaks.size() != columns)
    {
        peaks.assign(columns, 0.0f);
        for (std::size_t c = 0; c < columns; ++c)
        {
            const float x = axis.x + kColumn * static_cast<float>(c);
            const double from = std::max(0.0, axis.MsOfX(x) * kSamplesPerMs);
            const double to = std::min(static_cast<double>(music->size()),
                                       axis.MsOfX(x + kColumn) * kSamplesPerMs);
            for (auto i = static_cast<std::size_t>(from); static_cast<double>(i) < to; ++i)
            {
                peaks[c] = std::max(peaks[c], std::abs((*music)[i]));
            }
        }
        peaksStart = axis.start;
        peaksEnd = axis.end;
        peaksOf = music->size();
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const float middle = top + height * 0.5f;
    for (std::size_t c = 0; c < columns; ++c)
    {
        const float half = std::min(peaks[c], 1.0f) * height * 0.5f;
        if (half >= 0.5f && Room(draw, 4))
        {
            const float x = axis.x + kColumn * static_cast<float>(c);
            draw->AddRectFilled(ImVec2(x, middle - half), ImVec2(x + kColumn - 1.0f, middle + half),
                                IM_COL32(70, 70, 90, 255));
        }
    }
}

} // namespace MivexGL
