// A scrolling list of text rows drawn on a four-column row image (background, highlight
// overlay, active-mark overlay, a fourth never drawn). Takes over an owner-drawn button of a
// dialog template; the hover makes a list the current one of its dialog.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Window.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/controls/SkinArchive.h"
#include "switcher/logic/ListModel.h"

namespace switcher {

class CAdvListCtrl;

// The list last made current by a hover, shared by the lists of one dialog and the dialog.
struct CurrentList {
    CAdvListCtrl* list = nullptr;
};

class CAdvListCtrl : public framework::Window {
public:
    static constexpr int kColumns = 4;

    explicit CAdvListCtrl(CurrentList& current) : current_(current) {}
    ~CAdvListCtrl() override;

    // Decodes the row image and takes the item over, `rows` rows at most. The item is one
    // column wide and as high as the rows that show an item (Repaint keeps it so). Fails (the
    // item stays as it was) when the image cannot be decoded.
    bool Init(int id, HWND parent, IStream* image, int rows);
    // The same with the row image decoded already (the popup's, at its DPI).
    bool Init(int id, HWND parent, UniqueGpBitmap image, int rows);
    // A strip of another DPI for the same rows; false (the old one kept) when it is null.
    bool SetStrip(UniqueGpBitmap strip);
    // Keeps copies of the font and the format; `layout` is the text's place inside a row.
    void SetTextStyle(Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                      const Gdiplus::RectF& layout);

    void AddRow(std::wstring text);
    int GetSelection() const { return model_.Selection(); }
    void SetActiveMark(int row);
    void HighlightVisibleRow(int relative);
    void Repaint();

    ListModel& Model() { return model_; }
    const ListModel& Model() const { return model_; }
    int RowHeight() const { return rowHeight_; }
    int ColumnWidth() const { return columnWidth_; }
    bool IsCurrent() const { return current_.list == this; }
    const Gdiplus::RectF& TextLayout() const { return layout_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void OnHover(int y);
    void DrawRows(Gdiplus::GpGraphics* graphics) const;
    void FitToShownRows();
    void DrawColumn(Gdiplus::GpGraphics* graphics, int column, int y) const;
    void ReleaseDrawing();

    CurrentList& current_;
    ListModel model_;
    UniqueGpBitmap image_;
    int columnWidth_ = 0;
    int rowHeight_ = 0;
    Gdiplus::RectF layout_;
    UniqueGpStringFormat format_;
    UniqueGpFont font_;
};

} // namespace switcher
