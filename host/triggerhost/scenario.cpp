#include "scenario.h"

#include <libxml/SAX2.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <new>
#include <utility>

#include "host_xml.h"
#include "input_limits.h"
#include "program_files.h"

namespace {

// How much of the file is read and handed to the parser at a time.
constexpr std::size_t kPieceBytes = 64 * 1024;
// The parser keeps every element and attribute name it has seen for as long as it runs. A
// scenario repeats a few names; one that invents new ones all the time would grow without bound.
constexpr std::size_t kMaxScenarioNames = 100'000;

constexpr const char* kRequestTooLarge = "request too large";
constexpr const char* kRequestTooComplex = "request too complex";
constexpr const char* kTooManyNames = "too many names";

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

struct BufferDeleter {
    void operator()(xmlBuffer* buffer) const noexcept { xmlBufferFree(buffer); }
};

std::string ElementXml(xmlDoc* document, xmlNode* element) {
    std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
    if (!buffer || xmlNodeDump(buffer.get(), document, element, 0, 0) < 0) {
        throw std::bad_alloc();
    }
    return std::string(Chars(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

std::string NoteText(xmlNode* note) {
    xmlChar* content = xmlNodeGetContent(note);
    std::string text = Trimmed(content != nullptr ? Chars(content) : "");
    xmlFree(content);
    return text;
}

bool SpacePreserved(xmlNode* element, bool inherited) {
    xmlChar* space =
        xmlGetNsProp(element, reinterpret_cast<const xmlChar*>("space"), XML_XML_NAMESPACE);
    const bool preserved = space != nullptr
                               ? xmlStrcmp(space, reinterpret_cast<const xmlChar*>("preserve")) == 0
                               : inherited;
    xmlFree(space);
    return preserved;
}

// Blank text among the children of an element that holds elements and no other text is
// indentation, and is dropped, so that a request is sent without it; elsewhere, and under
// xml:space="preserve", text is kept as it is. (libxml2's own option for this decides by what it
// has seen of the input after the blanks, so a request would come out differently depending on
// where the pieces of the file happened to end.)
void DropIndentation(xmlNode* element, bool preserve) {
    bool holdsElements = false;
    bool holdsText = false;
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            holdsElements = true;
            DropIndentation(child, SpacePreserved(child, preserve));
        } else if (child->type == XML_CDATA_SECTION_NODE ||
                   (child->type == XML_TEXT_NODE && xmlIsBlankNode(child) == 0)) {
            holdsText = true;
        }
    }
    if (!holdsElements || holdsText || preserve) {
        return;
    }
    for (xmlNode* child = element->children; child != nullptr;) {
        xmlNode* next = child->next;
        if (child->type == XML_TEXT_NODE) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

// Whether `ns` is one of the declarations made on an element above `element`.
bool DeclaredAbove(const xmlNode* element, const xmlNs* ns) noexcept {
    for (const xmlNode* above = element->parent;
         above != nullptr && above->type == XML_ELEMENT_NODE; above = above->parent) {
        for (const xmlNs* declared = above->nsDef; declared != nullptr; declared = declared->next) {
            if (declared == ns) {
                return true;
            }
        }
    }
    return false;
}

void DeclareOnRequest(xmlNode* request, const xmlNs* ns) {
    // The default namespace stays behind, as it always has: the plug-in reads its requests by
    // unqualified names.
    if (ns == nullptr || ns->prefix == nullptr || !DeclaredAbove(request, ns)) {
        return;
    }
    for (const xmlNs* declared = request->nsDef; declared != nullptr; declared = declared->next) {
        if (xmlStrEqual(declared->prefix, ns->prefix)) {
            return;
        }
    }
    if (xmlNewNs(request, ns->href, ns->prefix) == nullptr) {
        throw std::bad_alloc();
    }
}

// A prefix declared on the scenario's root and used inside a request is declared again on the
// request itself, which is sent alone: without it the request would not be namespace-well-formed.
// Runs while the request is still in the tree, where the declarations above it can be seen.
void DeclareOuterPrefixes(xmlNode* request, const xmlNode* element) {
    DeclareOnRequest(request, element->ns);
    for (const xmlAttr* attribute = element->properties; attribute != nullptr;
         attribute = attribute->next) {
        DeclareOnRequest(request, attribute->ns);
    }
    for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            DeclareOuterPrefixes(request, child);
        }
    }
}

}  // namespace

// A push parse that builds the tree of one request at a time: the root element stays, each of its
// child elements is built, taken as a step once its end tag is read, and freed. Text, comments and
// instructions directly inside the root are skipped, as before.
class ScenarioReader::Parse : public ParseStop {
  public:
    Parse(std::string name, RequestBounds bounds) : name_(std::move(name)), bounds_(bounds) {
        xmlSAXHandler sax;
        std::memset(&sax, 0, sizeof sax);
        xmlSAXVersion(&sax, 2);
        RefuseDocumentTypes(sax);
        sax.startElementNs = &OnStartElement;
        sax.endElementNs = &OnEndElement;
        sax.characters = &OnCharacters;
        sax.cdataBlock = &OnCdata;
        // Every blank is text here; DropIndentation decides which to keep.
        sax.ignorableWhitespace = &OnCharacters;
        sax.comment = &OnComment;
        sax.processingInstruction = &OnInstruction;
        parser_.reset(xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr));
        if (!parser_) {
            throw std::bad_alloc();
        }
        // Names are not shared through the dictionary, so text never grows it.
        xmlCtxtUseOptions(parser_.get(), kHostParseOptions | XML_PARSE_NODICT);
        parser_->_private = static_cast<ParseStop*>(this);
    }

    ~Parse() {
        xmlFreeDoc(parser_->myDoc);
        parser_->myDoc = nullptr;
    }

    Parse(const Parse&) = delete;
    Parse& operator=(const Parse&) = delete;

    bool ended() const noexcept { return ended_; }
    void Abandon(const std::string& why) { Fail("cannot read " + name_ + ": " + why); }
    const std::string& error() const noexcept { return error_; }
    std::deque<ScenarioStep>& ready() noexcept { return ready_; }

    // Parses the next piece; an empty piece ends the input.
    void Feed(std::string_view piece) {
        const int code = xmlParseChunk(parser_.get(), piece.data(), static_cast<int>(piece.size()),
                                       piece.empty() ? 1 : 0);
        fed_ += static_cast<long>(piece.size());
        ended_ = piece.empty();
        if (outOfMemory_) {
            throw std::bad_alloc();
        }
        if (reason != nullptr) {
            Fail(Refusal());
        } else if (code != 0 || parser_->wellFormed == 0) {
            Fail(name_ + " is not a well-formed scenario (" + ParserErrorText(parser_.get()) + ")");
        } else if (fed_ - boundary_ > static_cast<long>(bounds_.bytes + piece.size())) {
            // The parser holds a piece of markup it has not finished, and no request can be that
            // large: a start tag or a comment of many megabytes, say.
            Fail(name_ + " line " + std::to_string(parser_->input->line) + ": more than " +
                 SizeText(bounds_.bytes) + " of markup in one piece" +
                 (depth_ > 1 ? " inside the request <" + stepName_ + ">" : std::string()) +
                 ", more than the plug-in accepts in one request");
        } else if (static_cast<std::size_t>(xmlDictSize(parser_->dict)) > kMaxScenarioNames) {
            reason = kTooManyNames;
            Fail(Refusal());
        }
    }

  private:
    static Parse& Of(void* context) {
        auto* parser = static_cast<xmlParserCtxt*>(context);
        return *static_cast<Parse*>(static_cast<ParseStop*>(parser->_private));
    }

    void Fail(std::string error) {
        error_ = std::move(error);
        ended_ = true;
    }

    std::string Refusal() const {
        if (reason == kDocumentTypeRefused) {
            return name_ + " declares a document type; scenarios may not";
        }
        if (reason == kTooManyNames) {
            return name_ + " uses more than " + std::to_string(kMaxScenarioNames) +
                   " different names of elements and attributes";
        }
        const std::string where =
            name_ + " line " + std::to_string(stepLine_) + ": the request <" + stepName_ + ">";
        if (reason == kRequestTooComplex) {
            return where + " holds more than " + std::to_string(bounds_.items) +
                   " elements and attributes, more than the plug-in accepts";
        }
        return where + " is larger than " + SizeText(bounds_.bytes) +
               ", more than the plug-in accepts";
    }

    long Consumed() const noexcept { return xmlByteConsumed(parser_.get()); }

    // Counts `items` pieces of markup towards the request being read and checks its size.
    void Count(std::size_t items) noexcept {
        stepItems_ += items;
        if (stepItems_ > bounds_.items) {
            StopParse(parser_.get(), kRequestTooComplex);
        } else if (Consumed() - boundary_ > static_cast<long>(bounds_.bytes)) {
            StopParse(parser_.get(), kRequestTooLarge);
        }
    }

    // Something directly inside the root, outside every request: the input is taken up to here.
    void Between() noexcept { boundary_ = Consumed(); }

    // Takes the request or note just ended as a step, then frees its tree.
    void Finish() {
        xmlNode* element = std::exchange(step_, nullptr);
        const bool note = xmlStrcmp(element->name, reinterpret_cast<const xmlChar*>("Note")) == 0;
        DropIndentation(element, xmlNodeGetSpacePreserve(element) == 1);
        if (!note) {
            DeclareOuterPrefixes(element, element);
        }
        xmlUnlinkNode(element);
        std::unique_ptr<xmlNode, void (*)(xmlNode*)> owned(element, &xmlFreeNode);
        if (note) {
            ready_.push_back({ScenarioStep::Kind::Note, NoteText(element)});
        } else {
            ready_.push_back({ScenarioStep::Kind::Request, ElementXml(parser_->myDoc, element)});
        }
    }

    template <class Body>
    static void Guarded(void* context, Body&& body) noexcept {
        Parse& parse = Of(context);
        try {
            body(parse);
        } catch (...) {
            parse.outOfMemory_ = true;
            xmlStopParser(parse.parser_.get());
        }
    }

    static void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                               const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                               int attributeCount, int defaultedCount, const xmlChar** attributes) {
        Guarded(context, [&](Parse& parse) {
            xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces,
                                  attributeCount, defaultedCount, attributes);
            const int depth = parse.depth_++;
            if (depth == 0) {
                parse.Between();
                return;
            }
            if (depth == 1) {
                parse.step_ = parse.parser_->node;
                parse.stepItems_ = 0;
                parse.stepLine_ = xmlSAX2GetLineNumber(context);
                parse.stepName_ = prefix != nullptr ? Chars(prefix) + std::string(":") : "";
                parse.stepName_ += Chars(localName);
            }
            parse.Count(1 + static_cast<std::size_t>(attributeCount + namespaceCount));
        });
    }

    static void OnEndElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                             const xmlChar* uri) {
        Guarded(context, [&](Parse& parse) {
            xmlSAX2EndElementNs(context, localName, prefix, uri);
            if (--parse.depth_ == 1 && parse.step_ != nullptr) {
                // Text is handed over before the parser has moved past it, so the request's last
                // text is measured only here.
                parse.Count(0);
                if (parse.reason == nullptr) {
                    parse.Finish();
                    parse.Between();
                }
            }
        });
    }

    // Markup inside a request is built into its tree and counted as `items`; directly inside the
    // root it is skipped.
    template <class Build>
    static void Content(void* context, std::size_t items, Build&& build) noexcept {
        Guarded(context, [&](Parse& parse) {
            if (parse.depth_ > 1) {
                build();
                parse.Count(items);
            } else {
                parse.Between();
            }
        });
    }

    static void OnCharacters(void* context, const xmlChar* text, int length) {
        Content(context, 0, [&] { xmlSAX2Characters(context, text, length); });
    }

    static void OnCdata(void* context, const xmlChar* text, int length) {
        Content(context, 1, [&] { xmlSAX2CDataBlock(context, text, length); });
    }

    static void OnComment(void* context, const xmlChar* text) {
        Content(context, 1, [&] { xmlSAX2Comment(context, text); });
    }

    static void OnInstruction(void* context, const xmlChar* target, const xmlChar* data) {
        Content(context, 1, [&] { xmlSAX2ProcessingInstruction(context, target, data); });
    }

    std::string name_;
    RequestBounds bounds_;
    Parser parser_;
    int depth_ = 0;
    xmlNode* step_ = nullptr;  // the request or note being read, in the root
    int stepLine_ = 0;
    std::string stepName_;
    std::size_t stepItems_ = 0;
    long boundary_ = 0;  // input taken up to the last point outside every request
    long fed_ = 0;
    bool outOfMemory_ = false;
    bool ended_ = false;
    std::string error_;
    std::deque<ScenarioStep> ready_;
};

std::unique_ptr<ScenarioReader> ScenarioReader::OpenFile(const std::string& path,
                                                         std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
    if (!file) {
        error = "cannot open scenario file '" + path + "'";
        return nullptr;
    }
    return std::unique_ptr<ScenarioReader>(new ScenarioReader(std::move(file), "'" + path + "'"));
}

ScenarioReader::ScenarioReader(std::string_view text, std::string name)
    : ScenarioReader(
          [text]() mutable {
              const std::string_view piece = text.substr(0, kPieceBytes);
              text.remove_prefix(piece.size());
              return piece;
          },
          std::move(name)) {}

ScenarioReader::ScenarioReader(std::function<std::string_view()> nextPiece, std::string name,
                               RequestBounds bounds)
    : nextPiece_(std::move(nextPiece)), parse_(std::make_unique<Parse>(std::move(name), bounds)) {}

ScenarioReader::ScenarioReader(std::unique_ptr<std::FILE, FileCloser> file, std::string name)
    : file_(std::move(file)),
      buffer_(kPieceBytes, '\0'),
      parse_(std::make_unique<Parse>(std::move(name), RequestBounds{})) {}

ScenarioReader::~ScenarioReader() = default;

std::string_view ScenarioReader::ReadPiece() {
    if (file_) {
        const std::size_t read = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
        return std::string_view(buffer_.data(), read);
    }
    return nextPiece_();
}

std::optional<ScenarioStep> ScenarioReader::Next() {
    while (parse_->ready().empty() && !parse_->ended()) {
        const std::string_view piece = ReadPiece();
        if (piece.empty() && file_ && std::ferror(file_.get()) != 0) {
            parse_->Abandon(std::strerror(errno));
        } else {
            parse_->Feed(piece);
        }
    }
    if (parse_->ready().empty()) {
        return std::nullopt;
    }
    ScenarioStep step = std::move(parse_->ready().front());
    parse_->ready().pop_front();
    return step;
}

const std::string& ScenarioReader::error() const noexcept {
    return parse_->error();
}
const std::string& BuiltInScenario() {
    static const std::string scenario = R"(<Scenario>
  <Note>A door sensor: when the front door opens, log an alert.</Note>
  <Request type="trigger" name="registeraction" id="door.front" condition="/TriggerData/door[@id='front' and @state='open']">
    <Action type="host" name="log"><Alert>Front door opened</Alert></Action>
  </Request>
  <Note>The door closes: no trigger matches, nothing runs.</Note>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="closed"/></TriggerData></Request>
  <Note>The door opens: the trigger fires and its action runs with the event's data merged in.</Note>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
  <Note>Suspended, the trigger manager ignores the door.</Note>
  <Request type="trigger" name="suspend"/>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
  <Request type="trigger" name="resume"/>
  <Note>Unregistering the trigger ends the alerts.</Note>
  <Request type="trigger" name="unregisteraction" id="door.*"/>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
</Scenario>
)";
    return scenario;
}
