// The program's resource table (dialog templates and bitmaps by number) and
// the dialog-unit arithmetic, the same for both back ends. Depends only on
// platform/Dialog.h.
#include "platform/Dialog.h"

#include <cstdlib>
#include <map>
#include <utility>

namespace platform
{

namespace
{

std::map<int, const DialogTemplate*>& Templates()
{
    static std::map<int, const DialogTemplate*> table;
    return table;
}

std::map<int, std::function<BitmapResource()>>& Bitmaps()
{
    static std::map<int, std::function<BitmapResource()>> table;
    return table;
}

} // namespace

void RegisterDialogTemplate(int id, const DialogTemplate* dialogTemplate)
{
    Templates()[id] = dialogTemplate;
}

void RegisterBitmapResource(int id, std::function<BitmapResource()> make)
{
    Bitmaps()[id] = std::move(make);
}

const DialogTemplate* FindDialogTemplate(int id)
{
    const auto it = Templates().find(id);
    return it != Templates().end() ? it->second : nullptr;
}

BitmapResource LoadBitmapResource(int id)
{
    const auto it = Bitmaps().find(id);
    return it != Bitmaps().end() && it->second ? it->second() : BitmapResource();
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
    {
        return -1;
    }
    const long long product = static_cast<long long>(number) * numerator;
    const long long d = denominator;
    const bool negative = (product < 0) != (d < 0);
    const long long magnitude = (std::llabs(product) + std::llabs(d) / 2) / std::llabs(d);
    const long long result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL || result < -2147483647LL)
    {
        return -1;
    }
    return static_cast<int>(result);
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy)
{
    return DialogUnitsToPixels(x, y, cx, cy, 6, 13);
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy, int baseX, int baseY)
{
    RECT r;
    r.left = MulDiv(x, baseX, 4);
    r.top = MulDiv(y, baseY, 8);
    r.right = MulDiv(x + cx, baseX, 4);
    r.bottom = MulDiv(y + cy, baseY, 8);
    return r;
}

} // namespace platform
