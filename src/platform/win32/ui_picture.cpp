// PNG pictures on Windows: decoded and written by the Windows Imaging
// Component, reached through COM (no import of windowscodecs.dll).
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include <wincodec.h>

#include <cstring>
#include <new>
#include <vector>

#include "platform/ui_backend.h"

namespace win::backend {

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger pictures are refused before any pixel memory is taken: no skin or
// licence picture comes near this.
constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The file's chunk structure, checked before the decoder sees it: signature,
// then chunks that all fit in the data, IHDR first and IEND last. A truncated
// or cut-off file is refused here, whatever the decoder would make of it.
bool CheckPngStructure(const std::string& bytes, std::string& error) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < sizeof kPngSignature ||
      std::memcmp(data, kPngSignature, sizeof kPngSignature) != 0) {
    error = "not a PNG picture (signature missing)";
    return false;
  }
  size_t at = sizeof kPngSignature;
  bool first = true;
  while (at + 12 <= bytes.size()) {
    uint32_t length = BigEndian32(data + at);
    const unsigned char* type = data + at + 4;
    if (length > bytes.size() - at - 12) {
      error = "truncated PNG picture (chunk runs past the end)";
      return false;
    }
    if (first && std::memcmp(type, "IHDR", 4) != 0) {
      error = "damaged PNG picture (no IHDR chunk first)";
      return false;
    }
    first = false;
    at += 12 + static_cast<size_t>(length);
    if (std::memcmp(type, "IEND", 4) == 0) return true;
  }
  error = "truncated PNG picture (no IEND chunk)";
  return false;
}

bool CreateFactory(w32::ComPtr<IWICImagingFactory>& factory) {
  return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, factory.Receive())) &&
         factory;
}

std::wstring WidePath(const std::string& utf8) { return WideCopy(FromUtf8(utf8)); }

}  // namespace

bool DecodePng(const std::string& bytes, Bitmap& picture, std::string& error) {
  if (!CheckPngStructure(bytes, error)) return false;
  if (bytes.size() > 0x7FFFFFFF) {
    error = "PNG picture too large";
    return false;
  }
  w32::ComInit com;
  com.Initialize();
  w32::ComPtr<IWICImagingFactory> factory;
  if (!CreateFactory(factory)) {
    error = "the imaging component is not available";
    return false;
  }
  w32::ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      !stream ||
      FAILED(stream->InitializeFromMemory(
          reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
          static_cast<DWORD>(bytes.size())))) {
    error = "cannot read the PNG data";
    return false;
  }
  w32::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(
          stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
          decoder.Out())) ||
      !decoder) {
    error = "damaged PNG picture";
    return false;
  }
  GUID container{};
  if (FAILED(decoder->GetContainerFormat(&container)) ||
      !IsEqualGUID(container, GUID_ContainerFormatPng)) {
    error = "not a PNG picture";
    return false;
  }
  w32::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Out())) ||
      !frame) {
    error = "damaged PNG picture (no frame)";
    return false;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > 0x7FFFFFFF / 4 || height > 0x7FFFFFFF ||
      uint64_t{width} * height > kMaxPixels) {
    error = "PNG picture size not supported";
    return false;
  }
  // Any PNG pixel format to plain 32-bit BGR: the alpha channel is dropped.
  w32::ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(
          converter.Out())) ||
      !converter ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    error = "PNG pixel format not supported";
    return false;
  }
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    error = "PNG picture too large";
    return false;
  }
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(pixels.data())))) {
    error = "damaged PNG picture (pixel data)";
    return false;
  }
  Bitmap decoded(static_cast<int32_t>(width), static_cast<int32_t>(height));
  for (UINT y = 0; y < height; ++y) {
    COLORREF* row = decoded.Row(static_cast<int32_t>(y));
    const uint32_t* source = pixels.data() + static_cast<size_t>(y) * width;
    for (UINT x = 0; x < width; ++x) {
      uint32_t p = source[x];  // bytes B, G, R, X
      row[x] = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
    }
  }
  picture = std::move(decoded);
  return true;
}

bool SavePngFile(const Bitmap& picture, const std::string& nativePath) {
  if (picture.Empty()) return false;
  w32::ComInit com;
  com.Initialize();
  w32::ComPtr<IWICImagingFactory> factory;
  if (!CreateFactory(factory)) return false;
  const std::wstring path = WidePath(nativePath);
  w32::ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      !stream || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) {
    return false;
  }
  w32::ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr,
                                    encoder.Out())) ||
      !encoder || FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) {
    return false;
  }
  w32::ComPtr<IWICBitmapFrameEncode> frame;
  if (FAILED(encoder->CreateNewFrame(frame.Out(),
                                     nullptr)) ||
      !frame || FAILED(frame->Initialize(nullptr))) {
    return false;
  }
  const UINT width = static_cast<UINT>(picture.Width());
  const UINT height = static_cast<UINT>(picture.Height());
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format)) ||
      !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    return false;
  }
  const UINT stride = (width * 3 + 3) & ~3u;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * height, 0);
  for (UINT y = 0; y < height; ++y) {
    const COLORREF* source = picture.Row(static_cast<int32_t>(y));
    BYTE* row = rows.data() + static_cast<size_t>(y) * stride;
    for (UINT x = 0; x < width; ++x) {
      row[x * 3 + 0] = GetBValue(source[x]);
      row[x * 3 + 1] = GetGValue(source[x]);
      row[x * 3 + 2] = GetRValue(source[x]);
    }
  }
  return SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()),
                                      rows.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace win::backend
