// GDI handles owned by a scope: the object or memory device context is deleted with it.
#pragma once

#include <memory>
#include <type_traits>
#include <windows.h>

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

// A font, pen, brush, bitmap or region; delete it only once no device context has it selected.
template <typename Handle>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueRegion = UniqueGdiObject<HRGN>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A device context made by CreateCompatibleDC.
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
