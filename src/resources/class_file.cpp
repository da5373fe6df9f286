#include "resources/class_file.h"

#include <algorithm>
#include <optional>

#include "platform/files.h"
#include "resources/cache_bundle.h"
#include "resources/cache_files.h"
#include "resources/class_source.h"
#include "resources/content_digest.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/text_file.h"
#include "resources/user_storage.h"
#include "vm/code_verifier.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/opcodes.h"
#include "vm/process.h"

namespace zunka {

// The code a compilation produces changes with the player: mixing the player's
// code revision into the source stamp makes class files of an earlier revision
// stale, so they are compiled again rather than run with old code.
constexpr uint32_t kCodeRevision = 4;

int32_t ClassSourceStamp(uint64_t sourceDigest) {
  uint32_t text = uint32_t(sourceDigest) ^ uint32_t(sourceDigest >> 32);
  return int32_t(text ^ (kCodeRevision * 0x9E3779B1u));
}

using namespace vm;

namespace {

// A class file holds its class's code and symbol records: a few times its source,
// which is at most kLargestTextFile.
constexpr uint64_t kLargestClassFile = 4 * kLargestTextFile;
// Records smaller than these cannot be complete, so counts are checked against them.
constexpr size_t kMinEntryBytes = 4 + ClassFileReader::kMinStringBytes + 4;
constexpr size_t kMinPointBytes = ClassFileReader::kMinStringBytes + 4;
constexpr size_t kMinFunctionBytes = 2 * ClassFileReader::kMinStringBytes;
// More locals than the stack holds values could never be called.
constexpr size_t kMaxLocals = TProcess::kStackBytes / sizeof(TValue);

const char* kindName(const TFunction& f) {
  switch (f.kind()) {
    case TFunction::Kind::Constructor:
      return "TConstructor";
    case TFunction::Kind::Destructor:
      return "TDestructor";
    case TFunction::Kind::Native:
      return "TNativeFunction";
    default:
      return "TNormalFunction";
  }
}

}  // namespace

void WriteCompiledInfo(ClassFileWriter& file, const TCompiledInfo* info) {
  static const TSymInfoList none;
  const TSymInfoList& symbols = info ? info->symbols() : none;
  file.Int(static_cast<int32_t>(symbols.entries.size()));
  for (const TCInfoElem& e : symbols.entries) {
    file.Int(e.opcode);
    file.Str(e.name);
    file.Int(static_cast<int32_t>(e.positions.size()));
    for (int32_t position : e.positions) file.Int(position);
  }
  file.Int(static_cast<int32_t>(symbols.points.size()));
  for (const auto& [text, position] : symbols.points) {
    file.Str(text);
    file.Int(position);
  }
  uint32_t length = info ? info->lengthBytes() : 0;
  file.Int(static_cast<int32_t>(length));
  if (length) file.Raw(info->words(), length);
}

std::unique_ptr<TCompiledInfo> ReadCompiledInfo(ClassFileReader& file, TRTTI* owner) {
  TSymInfoList symbols;
  size_t entries = file.Count(kMinEntryBytes);
  symbols.entries.reserve(entries);
  for (size_t i = 0; i < entries; ++i) {
    TCInfoElem e;
    e.opcode = file.Int();
    e.name = file.View();
    size_t positions = file.Count(4);
    e.positions.reserve(positions);
    for (size_t j = 0; j < positions; ++j) e.positions.push_back(file.Int());
    symbols.entries.push_back(std::move(e));
  }
  size_t points = file.Count(kMinPointBytes);
  symbols.points.reserve(points);
  for (size_t i = 0; i < points; ++i) {
    std::string_view text = file.View();
    symbols.points.emplace_back(text, file.Int());
  }
  int32_t length = file.Int();
  if (length < 0 || length % 4 != 0) file.fail();
  std::string_view code = file.Raw(size_t(length));
  // Copied out to be aligned and checked before the block is made; the copy is
  // kept for the next block, as every class file read at start-up reads dozens.
  thread_local std::vector<uint32_t> words;
  words.resize(size_t(length) / 4);
  if (length) std::memcpy(words.data(), code.data(), size_t(length));
  if (!VerifyCode(words, symbols).empty()) file.fail();
  return std::make_unique<TCompiledInfo>(owner, words, std::move(symbols));
}

constexpr std::string_view kClassFilePrefix = "c121_";

std::string TRTTI::ClassFileName() const {
  return CacheFilePath(kClassFilePrefix, src);
}

// The dot keeps it apart from every class file, whose reduced names have none.
std::string ClassFileBundlePath(std::string_view name) {
  return CacheFolder() + "\\" + std::string(kClassFilePrefix) + std::string(name) + ".bundle";
}

void TRTTI::WriteClassFile(ClassFileWriter& file, uint64_t sourceDigest) const {
  file.Int(kClassFileVersion);
  file.Int(ClassSourceStamp(sourceDigest));
  file.Str(parent ? parent->FullPath() : "");
  std::vector<std::string> own;
  for (int32_t i = 0; i < members.count(); ++i)
    if (!parent || parent->members.find(members.symbolAt(i)) < 0) own.push_back(members.textAt(i));
  file.Strings(own);
  int32_t ownFunctions = 0;
  for (const TFunction* f : methods()) ownFunctions += f->owner() == this;
  file.Int(ownFunctions);
  for (const TFunction* f : methods()) {
    if (f->owner() != this) continue;
    file.Str(kindName(*f));
    file.Str(f->GetName());
    if (f->isNative()) continue;
    auto* normal = static_cast<const TNormalFunction*>(f);
    file.Strings(normal->params);
    file.Strings(normal->locals);
    WriteCompiledInfo(file, normal->code.get());
  }
  WriteCompiledInfo(file, classCode.get());
}

std::unique_ptr<TFunction> TRTTI::readFunction(ClassFileReader& file) {
  std::string_view kind = file.View();
  Symbol name = symbols::intern(file.View());
  if (kind == "TNativeFunction") return std::make_unique<TNativeFunction>(this, name);
  std::unique_ptr<TNormalFunction> f;
  if (kind == "TNormalFunction")
    f = std::make_unique<TNormalFunction>(this, name);
  else if (kind == "TConstructor")
    f = std::make_unique<TConstructor>(this, name);
  else if (kind == "TDestructor")
    f = std::make_unique<TDestructor>(this, name);
  else
    file.fail();
  f->params = file.Strings();
  f->locals = file.Strings();
  if (f->locals.size() > kMaxLocals) file.fail();
  f->code = ReadCompiledInfo(file, this);
  return f;
}

bool TRTTI::ReadClassFile(ClassFileReader& file, uint64_t sourceDigest) {
  if (file.Int() != kClassFileVersion) return false;
  if (file.Int() != ClassSourceStamp(sourceDigest)) return false;
  std::string_view parentPath = file.View();
  parent = nullptr;
  if (!parentPath.empty()) {
    TResource* found = resourceTree().root ? resourceTree().root->Find(parentPath) : nullptr;
    auto* parentClass = dynamic_cast<TRTTI*>(found);
    if (!parentClass) throw EError("親クラス" + std::string(parentPath) + "はありません。");
    if (!parentClass->compiled) return false;
    parent = parentClass;
    InheritMethods();
    InheritMembers();
  }
  size_t members = file.Count(ClassFileReader::kMinStringBytes);
  for (size_t i = 0; i < members; ++i) EnsureMember(file.View());
  size_t functions = file.Count(kMinFunctionBytes);
  for (size_t i = 0; i < functions; ++i) AddOrOverride(readFunction(file).release());
  classCode = ReadCompiledInfo(file, this);
  for (TFunction* f : methods())
    if (f->owner() == this && !f->isNative()) {
      if (auto* normal = static_cast<TNormalFunction*>(f); normal->code) Bind(*normal->code, *this);
    }
  Bind(*classCode, *this);
  compiled = true;
  return true;
}

namespace {

// A class file is the class's records, the stamp of its source file as it was
// before the source was read (none for text the caller gave), and two digests:
// of the source text, and of everything before this last one.
constexpr size_t kDigestBytes = 8;
constexpr size_t kStampFields = 7;
constexpr size_t kStampBytes = kStampFields * 8;
constexpr size_t kTrailerBytes = kStampBytes + 2 * kDigestBytes;

// Digests and stamp fields are 64-bit words, little-endian.
void appendWord(std::string& bytes, uint64_t word) {
  for (size_t i = 0; i < 8; ++i) bytes += static_cast<char>((word >> (8 * i)) & 0xFF);
}

uint64_t wordAt(std::string_view bytes, size_t at) {
  uint64_t word = 0;
  for (size_t i = 0; i < 8; ++i)
    word |= uint64_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return word;
}

// No stamp is written as a file size of -1, which no file has.
void appendStamp(std::string& bytes, const std::optional<SourceStamp>& stamp) {
  const platform::FileStamp& file = stamp ? stamp->file : platform::FileStamp{};
  uint64_t fields[kStampFields] = {uint64_t(file.size),
                                   uint64_t(file.modifiedNs),
                                   uint64_t(file.changedNs),
                                   file.inode,
                                   file.device,
                                   file.mode,
                                   uint64_t(stamp ? stamp->takenNs : 0)};
  for (uint64_t field : fields) appendWord(bytes, field);
}

std::optional<SourceStamp> stampAt(std::string_view bytes, size_t at) {
  uint64_t fields[kStampFields];
  for (size_t i = 0; i < kStampFields; ++i) fields[i] = wordAt(bytes, at + 8 * i);
  if (int64_t(fields[0]) < 0) return std::nullopt;
  SourceStamp stamp;
  stamp.file.size = int64_t(fields[0]);
  stamp.file.modifiedNs = int64_t(fields[1]);
  stamp.file.changedNs = int64_t(fields[2]);
  stamp.file.inode = fields[3];
  stamp.file.device = fields[4];
  stamp.file.mode = uint32_t(fields[5]);
  stamp.takenNs = int64_t(fields[6]);
  return stamp;
}

struct ClassFileParts {
  std::string_view records;
  std::optional<SourceStamp> sourceStamp;
  uint64_t sourceDigest = 0;
};

// The parts of a whole, unaltered class file; nothing otherwise.
std::optional<ClassFileParts> wholeClassFile(std::string_view bytes) {
  if (bytes.size() < kTrailerBytes) return std::nullopt;
  size_t checked = bytes.size() - kDigestBytes;
  if (wordAt(bytes, checked) != ContentDigest(bytes.substr(0, checked))) return std::nullopt;
  size_t records = bytes.size() - kTrailerBytes;
  return ClassFileParts{bytes.substr(0, records), stampAt(bytes, records),
                        wordAt(bytes, checked - kDigestBytes)};
}

std::string classFileBytes(std::string_view records, const std::optional<SourceStamp>& stamp,
                           uint64_t sourceDigest) {
  std::string bytes;
  bytes.reserve(records.size() + kTrailerBytes);
  bytes += records;
  appendStamp(bytes, stamp);
  appendWord(bytes, sourceDigest);
  appendWord(bytes, ContentDigest(bytes));
  return bytes;
}

}  // namespace

bool TRTTI::SaveClassFile(ClassSource& source) const {
  ClassFileWriter file;
  uint64_t sourceDigest = source.digest();
  WriteClassFile(file, sourceDigest);
  return WriteCacheFile(ClassFileName(),
                        classFileBytes(file.bytes(), source.stamp(), sourceDigest));
}

bool TRTTI::SaveClassFile(std::string_view text) const {
  ClassSource source(text);
  return SaveClassFile(source);
}

bool TRTTI::LoadClassFile(ClassSource& source) {
  Reset();
  std::string path = ClassFileName();
  std::string owned;
  std::string_view bytes;
  if (!ReadCacheFile(path, owned, bytes, kLargestClassFile)) return false;
  std::optional<ClassFileParts> parts = wholeClassFile(bytes);
  // A source whose stamp vouches for the recorded one is not read: its text is
  // the one the class was compiled from. Otherwise it is read here, outside the
  // try, so that a source that cannot be read reports itself rather than the file.
  const bool vouched = parts && parts->sourceStamp && source.stamp() &&
                       StampVouchesForText(*parts->sourceStamp, source.stamp()->file);
  uint64_t sourceDigest = vouched ? parts->sourceDigest : source.digest();
  bool restored = false;
  try {
    if (!parts || parts->sourceDigest != sourceDigest)
      throw EError("クラスファイル" + name() + "は壊れています。");
    ClassFileReader file(parts->records, "クラスファイル" + name() + "は壊れています。");
    restored = ReadClassFile(file, sourceDigest);
  } catch (const EError&) {
    Log("not a valid Class File");
  }
  if (!restored) {
    Reset();
    return false;
  }
  failed = false;  // a failure of an earlier pass is over: the class is compiled
  // The text was read and matched (a touched or copied source, or one compiled
  // just after it was written): the source's present stamp is recorded, when it
  // can vouch, so that later starts need not read it. Replaced whole, as any
  // cache file, so a reader sees the old file or the new one.
  if (!vouched && source.stamp() && StampIsSettled(*source.stamp()))
    WriteCacheFile(path, classFileBytes(parts->records, source.stamp(), sourceDigest));
  return true;
}

bool TRTTI::LoadClassFile(std::string_view text) {
  ClassSource source(text);
  return LoadClassFile(source);
}

namespace {

// Fills the operand at `at`, of kind `kind`, with what `name` stands for in this run.
void linkOperand(OperandKind kind, const std::string& name, uint32_t* at, TRTTI& cls) {
  TResource* root = resourceTree().root;
  switch (kind) {
    case OperandKind::ValueKind: {  // a global's cell, or a constant when nameless
      if (name.empty()) break;
      TResource* r = root ? root->Find(name) : nullptr;
      Ref cell = r ? r->ValueCell() : 0;
      if (!cell) throw EError("値" + name + "が見つかりません");
      at[0] = vtPointer;
      at[1] = cell;
      break;
    }
    case OperandKind::MemberSlot:
      at[0] = static_cast<uint32_t>(cls.EnsureMember(name));
      break;
    case OperandKind::MemberName:
    case OperandKind::MethodName:
      at[0] = symbols::intern(name);
      break;
    case OperandKind::MethodIndex: {
      int32_t index = cls.MethodIndexByName(name);
      if (index < 0) throw EError("メソッド" + name + "が見つかりません");
      at[0] = static_cast<uint32_t>(index);
      break;
    }
    case OperandKind::SuperMethod: {
      TRTTI* p = cls.parentClass();
      TFunction* f = !p                      ? nullptr
                     : name == "constructor" ? p->Constructor()
                     : name == "destructor"  ? p->Destructor()
                                             : p->FindMethodByName(name);
      if (!f) throw EError("メソッドsuper." + name + "が見つかりません");
      at[0] = f->handle();
      break;
    }
    case OperandKind::NativeMethod: {
      TFunction* f = cls.FindMethodByName(name);
      if (!f) throw EError("nativeメソッド" + name + "が見つかりません");
      at[0] = f->handle();
      break;
    }
    case OperandKind::ClassRef: {
      auto* target = dynamic_cast<TRTTI*>(root ? root->Find(name) : nullptr);
      if (!target) throw EError("クラス" + name + "が見つかりません");
      at[0] = target->handle();
      break;
    }
    default:
      break;
  }
}

}  // namespace

void Bind(TCompiledInfo& info, TRTTI& cls) {
  info.bindTo(&cls);
  uint32_t* w = info.words();
  for (const TCInfoElem& e : info.symbols().entries) {
    const OpcodeFacts* facts = opcodeFacts(uint32_t(e.opcode));
    if (!facts || facts->linkWord == 0 || e.positions.empty()) continue;
    OperandKind kind = facts->operand(facts->linkWord);
    // A nameless value entry is a constant, left as it stands at each position.
    if (kind == OperandKind::ValueKind && e.name.empty()) continue;
    // The name stands for the same operand at every position: it is looked up
    // once (every class file is linked at start-up) and copied to the others.
    uint32_t* first = w + e.positions[0] / 4 + facts->linkWord;
    linkOperand(kind, e.name, first, cls);
    size_t operandWords = kind == OperandKind::ValueKind ? 2 : 1;
    for (size_t i = 1; i < e.positions.size(); ++i)
      std::copy_n(first, operandWords, w + e.positions[i] / 4 + facts->linkWord);
  }
}

}  // namespace zunka
