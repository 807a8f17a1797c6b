// Drawing a whole form into a picture, as the screen would show it.
#include "platform/ui.h"

namespace win {

namespace {

// The focus cue: a dotted frame two pixels inside the control, every other
// point of it inverted (as the system's DrawFocusRect), so it shows on any
// picture.
void DrawFocusFrame(Bitmap& layer) {
  constexpr int32_t kInset = 2;
  const int32_t left = kInset, top = kInset;
  const int32_t right = layer.Width() - 1 - kInset, bottom = layer.Height() - 1 - kInset;
  if (right <= left || bottom <= top) return;
  const auto invert = [&layer](int32_t x, int32_t y) { layer.Row(y)[x] ^= 0x00FFFFFFu; };
  for (int32_t x = left; x <= right; x += 2) {
    invert(x, top);
    invert(x, bottom);
  }
  for (int32_t y = top + 2; y < bottom; y += 2) {
    invert(left, y);
    invert(right, y);
  }
}

// Draws the visible children of parent into target, whose pixel (0, 0) is
// the parent's top-left corner. Graphic controls go first, windowed controls
// over them (the system paints child windows over their parent's drawing).
void PaintChildren(Control& parent, Bitmap& target) {
  const Rect whole{0, 0, target.Width(), target.Height()};
  for (Control* child : parent.Children()) {
    if (!child->Visible() || child->IsWindowed() || child->Width() <= 0 || child->Height() <= 0) continue;
    const Rect r = child->BoundsRect();
    // A copy of what lies behind, so transparent drawing keeps it.
    const Size extent = child->DrawingExtent();
    Bitmap layer(extent.cx, extent.cy);
    layer.CopyRect(0, 0, target, r);
    Canvas canvas(layer);
    child->PaintDefault(canvas);
    const Rect visible = Intersect(r, whole);
    if (!visible.IsEmpty())
      target.CopyRect(visible.left, visible.top, layer,
                      Rect{visible.left - r.left, visible.top - r.top, visible.right - r.left, visible.bottom - r.top});
  }
  for (Control* child : parent.Children()) {
    if (!child->Visible() || !child->IsWindowed() || child->Width() <= 0 || child->Height() <= 0) continue;
    // WM_PAINT through the window procedure: the standard look, then what
    // hooks put on the window.
    child->Perform(kWmPaint);
    Bitmap layer = child->WindowSurface();
    const Size extent = child->DrawingExtent();
    if (layer.Width() != extent.cx || layer.Height() != extent.cy)
      layer.SetSize(extent.cx, extent.cy, ColorToRGB(child->Color()));
    PaintChildren(*child, layer);
    const Form* form = child->ParentForm();
    if (form != nullptr && form->ShowFocusCues() && child->Focused()) DrawFocusFrame(layer);
    const Rect r = child->BoundsRect();
    const Region* region = child->WindowRgn();
    const std::vector<uint8_t> inside = region ? region->Mask(layer.Width(), layer.Height()) : std::vector<uint8_t>{};
    for (int32_t y = 0; y < layer.Height(); ++y) {
      const int32_t ty = r.top + y;
      if (ty < 0 || ty >= target.Height()) continue;
      for (int32_t x = 0; x < layer.Width(); ++x) {
        const int32_t tx = r.left + x;
        if (tx < 0 || tx >= target.Width()) continue;
        if (region && !inside[static_cast<size_t>(y) * layer.Width() + x]) continue;
        target.Row(ty)[tx] = layer.Row(y)[x];
      }
    }
  }
}

}  // namespace

Bitmap RenderForm(Form& form) {
  Bitmap picture(form.Width(), form.Height());
  Canvas canvas(picture);
  form.PaintDefault(canvas);
  PaintChildren(form, picture);
  if (const Region* region = form.WindowRgn()) {
    const std::vector<uint8_t> inside = region->Mask(picture.Width(), picture.Height());
    for (int32_t y = 0; y < picture.Height(); ++y)
      for (int32_t x = 0; x < picture.Width(); ++x)
        if (!inside[static_cast<size_t>(y) * picture.Width() + x]) picture.Row(y)[x] = kDesktopColor;
  }
  return picture;
}

}  // namespace win
