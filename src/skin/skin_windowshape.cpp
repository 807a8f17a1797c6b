#include "skin/skin_windowshape.h"

#include "platform/files.h"
#include "platform/picture.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"

bool LoadPicture(win::Image& control, const String& path) {
  win::Bitmap picture;
  if (!LoadSkinPicture(path, picture)) return false;
  control.SetPicture(picture);
  return true;
}

bool SetShapedBackground(win::Control& window, win::Image& control, const String& path) {
  if (!LoadPicture(control, path)) return false;
  TskinGraphiceEngine().ShapeWindow(window, control.Picture());
  return true;
}

bool LoadSkinPicture(const String& path, win::Bitmap& picture) {
  picture = win::Bitmap();
  if (path.empty() || !win::FileExists(path)) return false;
  if (win::LoadPictureFile(path, picture)) return true;
  picture = win::Bitmap();
  return false;
}
