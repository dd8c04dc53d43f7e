#include "tests/support/TestSupport.h"

namespace test {

// GetGuiResources is a stub under Wine, so the objects are found instead:
// Wine's GDI handles are an index into the process's handle table in the low
// word and a reuse counter in the high word, and it accepts a handle whose
// high word is 0 as "whatever lives at this index". GetObjectType on every
// index therefore names every live object. On a system that validates the
// whole handle this finds nothing, so callers first check that the count
// sees an object they made themselves (as the GdiCount tests do).
GdiCounts CountGdiObjects()
{
    GdiCounts counts;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(index));
        if (!type)
            continue;
        ++counts.total;
        switch (type) {
        case OBJ_DC:
        case OBJ_MEMDC:
        case OBJ_METADC:
        case OBJ_ENHMETADC:
            ++counts.dcs;
            break;
        case OBJ_BITMAP:
            ++counts.bitmaps;
            break;
        case OBJ_FONT:
            ++counts.fonts;
            break;
        case OBJ_PEN:
        case OBJ_EXTPEN:
            ++counts.pens;
            break;
        case OBJ_BRUSH:
            ++counts.brushes;
            break;
        case OBJ_REGION:
            ++counts.regions;
            break;
        default:
            break;
        }
    }
    return counts;
}

}  // namespace test
