// The picture loaders (the program's BMP reader, and PNG through libpng) over
// any bytes, as a skin file, and the window outline cut from what they decode:
// the outline holds exactly the pixels whose colour differs from the top-left
// one, and a decoded picture survives the BMP writer and reader unchanged.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"
#include "skin/skin_windowshape.h"

namespace {

constexpr char16_t kSkinFolder[] = u"C:\\Fuzz\\";

bool SamePixels(const win::Bitmap& a, const win::Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      if (a.Row(y)[x] != b.Row(y)[x]) return false;
  return true;
}

void CheckOutline(const win::Bitmap& picture) {
  const win::Region outline = TskinGraphiceEngine().Outline(picture);
  for (const win::Rect& r : outline.Rects()) {
    FUZZ_CHECK(r.left >= 0 && r.top >= 0 && r.right <= picture.Width() && r.bottom <= picture.Height());
    FUZZ_CHECK(r.left < r.right && r.top < r.bottom);
  }
  // Every pixel of a bounded sample: inside exactly when its colour differs.
  const win::COLORREF background = picture.Pixel(0, 0);
  const int32_t stepX = picture.Width() / 64 + 1, stepY = picture.Height() / 64 + 1;
  for (int32_t y = 0; y < picture.Height(); y += stepY)
    for (int32_t x = 0; x < picture.Width(); x += stepX)
      FUZZ_CHECK(outline.Contains(x, y) == (picture.Pixel(x, y) != background));
  // A smaller area is clipped to the picture, a larger one too.
  (void)TskinGraphiceEngine().Outline(picture, picture.Width() / 2, picture.Height() + 7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A scratch folder that cannot be made fails the skin files' checked writes into it.
  static const bool ready = (fuzz::ScratchMachine(), (void)win::CreateDirectory(u"C:\\Fuzz"), true);
  (void)ready;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  win::Bitmap decoded;
  std::string error;
  const bool ok = win::DecodePicture(bytes, decoded, error);
  FUZZ_CHECK(ok || !error.empty());
  if (ok) {
    FUZZ_CHECK(!decoded.Empty());
    CheckOutline(decoded);
    win::Bitmap again;
    FUZZ_CHECK(win::DecodeBmp(win::EncodeBmp(decoded), again, error));
    FUZZ_CHECK(SamePixels(decoded, again));
  }

  // The same bytes as skin files, by name: ".png" always as PNG, any other
  // name by the contents.
  for (const char16_t* name : {u"Background.bmp", u"Background.png"}) {
    const String path = String(kSkinFolder) + name;
    FUZZ_CHECK(win::WriteFileBytes(path, bytes));
    win::Bitmap skin;
    const bool loaded = LoadSkinPicture(path, skin);
    FUZZ_CHECK(loaded || skin.Empty());
    if (loaded && ok) FUZZ_CHECK(SamePixels(decoded, skin));
  }

  // A borderless screen cut to a small picture's outline.
  if (ok && int64_t{decoded.Width()} * decoded.Height() <= 64 * 64) {
    {
      win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FShape");
      form->SetBorderStyle(win::BorderStyle::None);
      auto* background = form->Create<win::Image>(u"im_Background");
      FUZZ_CHECK(SetShapedBackground(*form, *background, String(kSkinFolder) + u"Background.bmp"));
    }
    win::ResetApplication();
  }
  return 0;
}
