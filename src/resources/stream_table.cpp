#include "resources/stream_table.h"

#include "resources/resources_state.h"

namespace zunka {

StreamTable::~StreamTable() {
  for (auto& [handle, stream] : streams_)
    if (auto* writer = dynamic_cast<TFileWriter*>(stream.get())) writer->Close();
  streams_.clear();  // while the counts the records give back to still exist
}

template <class T, class... Args>
T* StreamTable::add(Args&&... args) {
  auto stream = std::make_unique<T>(std::forward<Args>(args)...);
  T* made = stream.get();
  streams_.emplace(made->handle(), std::move(stream));
  return made;
}

TFileReader* StreamTable::OpenReader(std::string_view path) {
  if (openFiles_ >= kMostOpenFiles) return nullptr;
  auto reader = std::make_unique<TFileReader>();
  if (!reader->Open(path)) return nullptr;
  ++openFiles_;
  TFileReader* made = reader.get();
  streams_.emplace(made->handle(), std::move(reader));
  return made;
}

TFileWriter* StreamTable::OpenWriter(std::string_view path) {
  if (openFiles_ >= kMostOpenFiles) return nullptr;
  auto writer = std::make_unique<TFileWriter>();
  if (!writer->Open(path)) return nullptr;
  ++openFiles_;
  TFileWriter* made = writer.get();
  streams_.emplace(made->handle(), std::move(writer));
  return made;
}

TBinaryOutputStream* StreamTable::NewBinaryOutput() {
  if (binaryRecords_ >= kMostBinaryRecords) return nullptr;
  ++binaryRecords_;
  return add<TBinaryOutputStream>(*this);
}

TBinaryInputStream* StreamTable::NewBinaryInput(std::string bytes) {
  if (binaryRecords_ >= kMostBinaryRecords || !TakeBinaryBytes(bytes.size())) return nullptr;
  ++binaryRecords_;
  return add<TBinaryInputStream>(*this, std::move(bytes));
}

bool StreamTable::Close(TStream* stream) {
  if (!stream) return false;
  auto it = streams_.find(stream->handle());
  if (it == streams_.end() || it->second.get() != stream) return false;
  bool ok = true;
  if (auto* writer = dynamic_cast<TFileWriter*>(stream)) {
    ok = writer->Close();
    --openFiles_;
  } else if (dynamic_cast<TFileReader*>(stream)) {
    --openFiles_;
  } else {
    --binaryRecords_;
  }
  streams_.erase(it);
  return ok;
}

bool StreamTable::TakeBinaryBytes(size_t count) {
  if (count > kMostBinaryBytes - binaryBytes_) return false;
  binaryBytes_ += count;
  return true;
}

StreamTable& streamTable() {
  return resourcesState().streams;
}

}  // namespace zunka
