#include "platform/ui/clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/qt_bridge.h"
#include "platform/runtime/rtl_string.h"

namespace ui {
namespace {

constexpr unsigned kFirstRegistered = 0xC000;

struct FormatTable {
  std::mutex lock;
  std::vector<String> names;  // index + kFirstRegistered
};
FormatTable& Formats() {
  static FormatTable table;
  return table;
}

// Registered formats travel under the MIME name other Qt programs use for them.
QString MimeFor(unsigned format) {
  String name = ClipboardFormatName(format);
  if (!name.empty()) return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(qt::Q(name));
  return QStringLiteral("application/x-jq-clipboard-format-%1").arg(format);
}

bool IsText(unsigned format) { return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT; }

const QMimeData* SystemData() { return QApplication::clipboard()->mimeData(QClipboard::Clipboard); }

}  // namespace

unsigned RegisterClipboardFormat(const String& Name) {
  if (Name.empty()) return 0;
  FormatTable& t = Formats();
  std::lock_guard<std::mutex> guard(t.lock);
  for (std::size_t i = 0; i < t.names.size(); ++i)
    if (rtl::SameText(t.names[i], Name)) return kFirstRegistered + static_cast<unsigned>(i);
  t.names.push_back(Name);
  return kFirstRegistered + static_cast<unsigned>(t.names.size() - 1);
}

String ClipboardFormatName(unsigned Format) {
  FormatTable& t = Formats();
  std::lock_guard<std::mutex> guard(t.lock);
  if (Format < kFirstRegistered || Format - kFirstRegistered >= t.names.size()) return String();
  return t.names[Format - kFirstRegistered];
}

struct TClipboard::Pending {
  std::unique_ptr<QMimeData> data = std::make_unique<QMimeData>();
};

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() {
  for (auto& [format, handle] : handedOut_) GlobalFree(handle);
}

void TClipboard::Open() { ++openCount_; }

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ > 0) return;
  emptied_ = false;
  if (pending_) {
    std::unique_ptr<Pending> p = std::move(pending_);
    QApplication::clipboard()->setMimeData(p->data.release(), QClipboard::Clipboard);
  }
}

void TClipboard::Adding() {
  if (emptied_) return;
  pending_ = std::make_unique<Pending>();
  emptied_ = true;
}

void TClipboard::Clear() {
  Open();
  emptied_ = false;
  Adding();
  Close();
}

bool TClipboard::HasFormat(unsigned Format) const {
  const QMimeData* d = pending_ ? pending_->data.get() : SystemData();
  if (!d) return false;
  if (IsText(Format)) return d->hasText();
  return d->hasFormat(MimeFor(Format));
}

String TClipboard::AsText() const {
  const QMimeData* d = pending_ ? pending_->data.get() : SystemData();
  return d && d->hasText() ? qt::S(d->text()) : String();
}

void TClipboard::SetAsText(const String& Value) {
  Open();
  Adding();
  pending_->data->setText(qt::Q(Value));
  Close();
}

std::vector<std::uint8_t> TClipboard::GetBuffer(unsigned Format) const {
  std::vector<std::uint8_t> out;
  const QMimeData* d = pending_ ? pending_->data.get() : SystemData();
  if (!d) return out;
  if (IsText(Format)) {
    if (!d->hasText()) return out;
    String text = qt::S(d->text());
    if (Format == CF_UNICODETEXT) {
      out.resize((text.size() + 1) * 2, 0);
      for (std::size_t i = 0; i < text.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
      }
    } else {
      std::string bytes = rtl::EncodeText(text, Format == CF_OEMTEXT ? rtl::CP_OEMCP : rtl::CP_ACP);
      out.assign(bytes.begin(), bytes.end());
      out.push_back(0);
    }
    return out;
  }
  QByteArray bytes = d->data(MimeFor(Format));
  out.assign(bytes.begin(), bytes.end());
  return out;
}

void TClipboard::SetBuffer(unsigned Format, const void* Data, std::size_t Size) {
  const auto* p = static_cast<const std::uint8_t*>(Data);
  Open();
  Adding();
  if (IsText(Format)) {
    // Text is held once; its 8-bit and OEM forms are made from it when read.
    String text;
    if (Format == CF_UNICODETEXT) {
      for (std::size_t i = 0; i + 1 < Size; i += 2) {
        char16_t c = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
      }
    } else {
      std::size_t n = p ? static_cast<std::size_t>(std::find(p, p + Size, 0) - p) : 0;
      text = rtl::DecodeText(std::string_view(reinterpret_cast<const char*>(p), n),
                             Format == CF_OEMTEXT ? rtl::CP_OEMCP : rtl::CP_ACP);
    }
    pending_->data->setText(qt::Q(text));
  } else {
    pending_->data->setData(MimeFor(Format), QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(Size)));
  }
  Close();
}

HGLOBAL TClipboard::GetAsHandle(unsigned Format) {
  if (!HasFormat(Format)) return nullptr;
  std::vector<std::uint8_t> bytes = GetBuffer(Format);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  if (!bytes.empty()) std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  auto held = std::find_if(handedOut_.begin(), handedOut_.end(), [&](const auto& e) { return e.first == Format; });
  if (held != handedOut_.end()) {
    GlobalFree(held->second);
    held->second = block;
  } else {
    handedOut_.emplace_back(Format, block);
  }
  return block;
}

void TClipboard::SetAsHandle(unsigned Format, HGLOBAL Value) {
  const std::size_t size = GlobalSize(Value);
  void* data = GlobalLock(Value);
  if (!data) throw rtl::Exception(u"Cannot set clipboard data: invalid memory handle");
  try {
    SetBuffer(Format, data, size);
  } catch (...) {
    GlobalUnlock(Value);
    throw;
  }
  GlobalUnlock(Value);
  GlobalFree(Value);
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

}  // namespace ui
