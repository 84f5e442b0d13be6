// The reader: a character state machine over the channel's bytes that builds
// one formatter object per element.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "format_ops.h"
#include "shaper.h"

namespace markal {
namespace {

constexpr size_t kTextMax = 511;      // element and attribute texts, text pieces
constexpr size_t kNameMax = 31;       // element names
constexpr size_t kUrlMax = 255;       // formatter URLs and identifiers
constexpr size_t kLineShown = 1023;   // how much of the current line a message shows
constexpr size_t kBlock = 16384;      // bytes asked of the channel at once

// Parse results before they are mapped to read's codes.
constexpr int kDone = 0;
constexpr int kSyntax = -1;
constexpr int kHandler = -2;
constexpr int kUnfinished = -3;

bool IsSpace(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Bytes of the channel, fetched a block at a time; line counting and the
// current line's text follow every byte handed out.
class ByteSource {
 public:
  explicit ByteSource(CommHandle* channel) : channel_(channel), block_(kBlock) {}

  // Returns the next byte, or -1 at the end of the input.
  int Next() {
    if (at_ == have_ && !Refill()) return -1;
    const int c = static_cast<unsigned char>(block_[at_++]);
    if (c == '\n') {
      ++line_;
      line_text_.clear();
    } else if (line_text_.size() < kLineShown) {
      line_text_.push_back(static_cast<char>(c));
    }
    return c;
  }

  int line() const { return line_; }
  const std::string& line_text() const { return line_text_; }

 private:
  bool Refill() {
    if (ended_) return false;
    for (;;) {
      const int n = channel_->read(channel_, block_.data(), static_cast<int>(block_.size()));
      if (n == COMM_E_AGAIN) continue;
      if (n <= 0 || static_cast<size_t>(n) > block_.size()) {
        ended_ = true;
        return false;
      }
      have_ = static_cast<size_t>(n);
      at_ = 0;
      return true;
    }
  }

  CommHandle* channel_;
  std::vector<char> block_;
  size_t have_ = 0;
  size_t at_ = 0;
  bool ended_ = false;
  int line_ = 1;
  std::string line_text_;
};

// Decodes the five predefined entities.  At each '&' the names are tried in a
// fixed order, each match replacing the character and moving past its name,
// so "&amp;lt;" becomes a single '<'.
std::string DecodeEntities(const std::string& text) {
  static constexpr struct {
    std::string_view name;
    char c;
  } kEntities[] = {{"quot;", '"'}, {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  const std::string_view all(text);
  size_t i = 0;
  while (i < all.size()) {
    if (all[i] != '&') {
      out.push_back(all[i++]);
      continue;
    }
    char c = '&';
    size_t at = i + 1;
    for (const auto& entity : kEntities) {
      if (all.substr(at).starts_with(entity.name)) {
        c = entity.c;
        at += entity.name.size();
      }
    }
    out.push_back(c);
    i = at;
  }
  return out;
}

// The value of attribute `key` (given with its '="'), up to the next double
// quote; `need_quote` refuses a value without one.  Returns false when the
// attribute is absent or unterminated as required.
bool AttributeValue(const std::string& attributes, const char* key, bool need_quote, std::string* value) {
  const size_t at = attributes.find(key);
  if (at == std::string::npos) return false;
  const size_t begin = at + std::strlen(key);
  const size_t end = attributes.find('"', begin);
  if (end == std::string::npos && need_quote) return false;
  *value = attributes.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  return true;
}

// The handlers: one formatter object per element on an object stack.
class TreeBuilder {
 public:
  ~TreeBuilder() {
    // Objects still open after a failure are released top down.
    while (depth_ > 0) {
      DBFClose(&stack_[depth_]);
      --depth_;
    }
  }

  /*
   *----------------------------------------------------------------------
   * TreeBuilder::Start --
   *   The start handler: makes the element's object under the innermost
   *   open one, from its formatter attribute or else from the parent's type
   *   URL with the element's name, and lets it create its data from ID.
   * Results:
   *   false (a handler failure) for nesting beyond 9, a formatter without
   *   its closing quote, no parent URL to derive from, a URL or ID over 255
   *   characters, or an object that cannot be made or created.
   * Side effects:
   *   The object is pushed on the object stack.
   *----------------------------------------------------------------------
   */
  bool Start(const std::string& name, const std::string& attributes) {
    if (depth_ >= kMaxDepth) return false;
    auto* parent = static_cast<DBFFormatter*>(stack_[depth_]);
    std::string url;
    if (attributes.find("formatter=\"") != std::string::npos) {
      if (!AttributeValue(attributes, "formatter=\"", true, &url)) return false;
    } else {
      // An element without the attribute is of its parent's plug-in, named
      // by the element: "calnest://DataPoint" and "volts" give "calnest://volts".
      const char* parent_url = nullptr;
      if (parent == nullptr || parent->getTypeUrl == nullptr || parent->getTypeUrl(parent, &parent_url) < 0 ||
          parent_url == nullptr) {
        return false;
      }
      const char* slash = std::strrchr(parent_url, '/');
      if (slash == nullptr) return false;
      url.assign(parent_url, static_cast<size_t>(slash - parent_url) + 1);
      url += name;
    }
    std::string id;
    AttributeValue(attributes, "ID=\"", false, &id);
    if (url.size() > kUrlMax || id.size() > kUrlMax) return false;

    void* child = nullptr;
    if (DBFInit(url.c_str(), &child, parent) < 0 || child == nullptr) return false;
    auto* fo = static_cast<DBFFormatter*>(child);
    if (fo->create == nullptr || fo->create(fo, id.c_str()) < 0) {
      DBFClose(&child);
      return false;
    }
    stack_[++depth_] = child;
    element_ = name;
    return true;
  }

  void Text(const std::string& text) {
    auto* fo = static_cast<DBFFormatter*>(stack_[depth_]);
    if (fo != nullptr && fo->setValue != nullptr) fo->setValue(fo, element_.c_str(), text.c_str());
  }

  void End() {
    if (depth_ > 1) {
      DBFClose(&stack_[depth_]);
      --depth_;
    }
  }

  // Hands the remaining object, the root, to the caller.
  void* TakeRoot() {
    void* root = stack_[depth_];
    stack_[depth_] = nullptr;
    depth_ = 0;
    return root;
  }

 private:
  void* stack_[kMaxDepth + 1] = {};  // index 0 stays null: the root's parent
  int depth_ = 0;
  std::string element_;  // the element whose text is being read
};

enum State {
  kStart,          // 0
  kAfterOpen,      // 1  after the first '<'
  kInstruction,    // 2
  kInstructionQ,   // 3  after '?' in an instruction
  kAfterInstr,     // 4
  kName,           // 5
  kAfterSlash,     // 6
  kAttributes,     // 7
  kQuoted,         // 8
  kContent,        // 9
  kAfterLt,        // 10
  kClosingName,    // 12
};

class Parser {
 public:
  Parser(ByteSource* in, TreeBuilder* tree) : in_(in), tree_(tree) {}

  /*
   *----------------------------------------------------------------------
   * Parser::Run --
   *   Runs the state machine over the input until the root element closes,
   *   an error stops it, or the input ends.
   * Results:
   *   kDone, kSyntax ("Parse error ..."), kHandler ("Callback code ...")
   *   or kUnfinished (input ended; "unbalanced tag: ..." when inside an
   *   element).
   * Side effects:
   *   Calls the handlers; writes the messages to standard error.
   *----------------------------------------------------------------------
   */
  int Run() {
    State state = kStart;
    for (;;) {
      const int c = in_->Next();
      if (c < 0) break;
      if (skip_blanks_ && IsSpace(c)) continue;
      skip_blanks_ = false;
      switch (state) {
        case kStart:
          if (c != '<') return SyntaxError();
          SkipBlanks();
          state = kAfterOpen;
          break;
        case kAfterOpen:
          if (c == '?') {
            state = kInstruction;
          } else if (std::isalnum(c)) {
            BeginName(c);
            state = kName;
          } else {
            return SyntaxError();
          }
          break;
        case kInstruction:
          if (c == '?') state = kInstructionQ;
          break;
        case kInstructionQ:
          if (c == '>') {
            SkipBlanks();
            state = kAfterInstr;
          } else if (c != '?') {
            state = kInstruction;
          }
          break;
        case kAfterInstr:
          if (c != '<') return SyntaxError();
          SkipBlanks();
          name_.clear();
          attributes_.clear();
          state = kName;
          break;
        case kName:
          if (IsSpace(c)) {
            SkipBlanks();
            state = kAttributes;
          } else if (c == '>') {
            if (name_.empty()) return SyntaxError();
            if (!Open()) return HandlerFailure();
            SkipBlanks();
            state = kContent;
          } else if (c == '/') {
            SkipBlanks();
            state = kAfterSlash;
          } else {
            if (name_.size() >= kNameMax) return SyntaxError();
            name_.push_back(static_cast<char>(c));
          }
          break;
        case kAfterSlash:
          if (c != '>') return SyntaxError();
          // An empty element: opened and closed at once.
          if (!tree_->Start(name_, attributes_)) return HandlerFailure();
          tree_->End();
          if (elements_.empty()) return kDone;
          state = kContent;
          break;
        case kAttributes:
          if (c == '"') {
            if (!AppendAttribute(c)) return SyntaxError();
            state = kQuoted;
          } else if (c == '>') {
            if (name_.empty()) return SyntaxError();
            if (!Open()) return HandlerFailure();
            SkipBlanks();
            state = kContent;
          } else if (c == '/') {
            SkipBlanks();
            state = kAfterSlash;
          } else if (!AppendAttribute(c)) {
            return SyntaxError();
          }
          break;
        case kQuoted:
          if (!AppendAttribute(c)) return SyntaxError();
          if (c == '"') state = kAttributes;
          break;
        case kContent:
          if (c == '<') {
            EndTextPiece();
            SkipBlanks();
            state = kAfterLt;
          } else {
            text_.push_back(std::iscntrl(c) ? ' ' : static_cast<char>(c));
            if (text_.size() >= kTextMax) EndTextPiece();
          }
          break;
        case kAfterLt:
          if (c == '/') {
            name_.clear();
            state = kClosingName;
          } else {
            BeginName(c);
            state = kName;
          }
          break;
        case kClosingName:
          if (c == '>') {
            if (elements_.empty() || name_ != elements_.back()) return SyntaxError();
            tree_->End();
            elements_.pop_back();
            if (elements_.empty()) return kDone;
            state = kContent;
          } else {
            if (name_.size() >= kNameMax) return SyntaxError();
            name_.push_back(static_cast<char>(c));
          }
          break;
      }
    }
    if (!elements_.empty()) std::fprintf(stderr, "unbalanced tag: %s\n", elements_.back().c_str());
    return kUnfinished;
  }

 private:
  void SkipBlanks() { skip_blanks_ = true; }

  void BeginName(int c) {
    name_.assign(1, static_cast<char>(c));
    attributes_.clear();
  }

  bool AppendAttribute(int c) {
    if (attributes_.size() >= kTextMax) return false;
    attributes_.push_back(static_cast<char>(c));
    return true;
  }

  bool Open() {
    if (elements_.size() >= static_cast<size_t>(kMaxDepth)) return false;
    elements_.push_back(name_);
    return tree_->Start(name_, attributes_);
  }

  void EndTextPiece() {
    const bool has_content = text_.find_first_not_of(' ') != std::string::npos;
    if (has_content) tree_->Text(DecodeEntities(text_));
    text_.clear();
  }

  int SyntaxError() {
    std::fprintf(stderr, "Parse error found line %d near %s\n", in_->line(), in_->line_text().c_str());
    return kSyntax;
  }

  int HandlerFailure() {
    std::fprintf(stderr, "Callback code found line %d near %s\n", in_->line(), in_->line_text().c_str());
    elements_.clear();
    return kHandler;
  }

  ByteSource* in_;
  TreeBuilder* tree_;
  bool skip_blanks_ = false;
  std::string name_;
  std::string attributes_;
  std::string text_;
  std::vector<std::string> elements_;
};

}  // namespace

int Read(void* format, void** data, const char** type_url, CommHandle* channel) {
  auto* f = static_cast<MarkalFormat*>(format);
  if (f == nullptr || channel == nullptr || channel->read == nullptr) return MARKAL_E_PARSE;
  if (f->root != nullptr) return MARKAL_E_READ_TWICE;
  try {
    ByteSource in(channel);
    TreeBuilder tree;
    const int rc = Parser(&in, &tree).Run();
    if (rc == kUnfinished) return MARKAL_E_INCOMPLETE;
    if (rc != kDone) return MARKAL_E_PARSE;
    void* root = tree.TakeRoot();
    auto* fo = static_cast<DBFFormatter*>(root);
    void* root_data = nullptr;
    const char* root_url = nullptr;
    if (fo->getData != nullptr) fo->getData(fo, &root_data);
    if (fo->getTypeUrl != nullptr) fo->getTypeUrl(fo, &root_url);
    f->root = root;
    if (data != nullptr) *data = root_data;
    if (type_url != nullptr) *type_url = root_url;
    return 0;
  } catch (...) {
    return MARKAL_E_NOMEM;
  }
}

}  // namespace markal
