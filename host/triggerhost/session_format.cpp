#include "session_format.h"

#include <string_view>

#include "input_limits.h"
#include "json_text.h"
#include "request_advice.h"
#include "result_words.h"
#include "terminal_style.h"

namespace {

std::string Brief(const RequestSummary& summary) {
    std::string text = summary.type == "trigger" ? summary.name : summary.type + "/" + summary.name;
    for (const std::string& part : {summary.id, Shortened(summary.payload)}) {
        if (!part.empty()) {
            text += ' ';
            text += part;
        }
    }
    return text;
}

// The text without the line ends after it: the platform's XML DOM ends a document's text with
// CR LF, which would break an action's line in two.
std::string_view WithoutTrailingLineEnds(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

class TextFormat final : public SessionFormat {
  public:
    TextFormat(const HostOptions& options, bool colour)
        : quiet_(options.quiet), verbose_(options.verbose), colour_(colour) {}

    std::string Request(const std::string& xml, const RequestSummary& summary) override {
        request_ = summary;
        if (quiet_) {
            return {};
        }
        return Tinted(Tint::Request, "> " + (verbose_ ? Shortened(xml) : Brief(summary)), colour_);
    }

    std::string Result(const std::string& resultXml, HRESULT code) override {
        if (quiet_) {
            return {};
        }
        const std::string value = ResultValue(resultXml);
        std::string line = "< " + Shortened(verbose_ ? resultXml : value);
        if (verbose_ || FAILED(code)) {
            line += "   [" + CodeInWords(code) + "]";
        }
        const bool failed = code != S_OK || value == "false";
        line = Tinted(failed ? Tint::Bad : Tint::Good, line, colour_);
        const std::string advice = RequestAdvice(request_, value, code);
        if (!advice.empty()) {
            line += '\n';
            line += Tinted(Tint::Advice, "  " + advice, colour_);
        }
        return line;
    }

    std::string Action(const ActionReport& report) override {
        const RequestSummary target = PeekRequestTarget(report.request);
        // A logged action shows itself through its log line.
        if (target.type == "host" && target.name == "log" && !verbose_) {
            return {};
        }
        std::string line = "  action " + target.type + "/" + target.name + ": " +
                           Shortened(WithoutTrailingLineEnds(report.request));
        if (verbose_) {
            line += "  -> " + Shortened(report.result) + "   [" + CodeInWords(report.code) + "]";
        } else {
            line += "  -> " + Shortened(ResultValue(report.result));
            if (FAILED(report.code)) {
                line += " (failed: " + CodeInWords(report.code) + ")";
            }
        }
        return line;
    }

    std::string Log(const std::string& line) override {
        return Tinted(Tint::Log, "  log: " + Shortened(line), colour_);
    }

    std::string Failure(HRESULT code, const std::string& description) override {
        if (!verbose_) {
            return {};
        }
        return "  trigger manager: " + Shortened(description) + "   [" + CodeInWords(code) + "]";
    }

    std::string Note(const std::string& text) override {
        return quiet_ ? std::string() : Tinted(Tint::Note, "# " + text, colour_);
    }

    std::string Stopped(HRESULT code) override {
        return verbose_ ? "stopped: " + CodeInWords(code) : std::string();
    }

  private:
    const bool quiet_;
    const bool verbose_;
    const bool colour_;
    RequestSummary request_;
};

class JsonFormat final : public SessionFormat {
  public:
    std::string Request(const std::string& xml, const RequestSummary& summary) override {
        request_ = summary;
        requestXml_ = Shortened(xml);
        return {};
    }

    std::string Result(const std::string& resultXml, HRESULT code) override {
        const std::string value = ResultValue(resultXml);
        JsonObject object;
        object.Text("kind", "request")
            .Text("type", request_.type)
            .Text("name", request_.name)
            .Text("id", request_.id)
            .Text("request", requestXml_)
            .Text("result", Shortened(value))
            .Text("code", Hex(code))
            .Text("meaning", CodeMeaning(code))
            .Flag("succeeded", code == S_OK && value != "false");
        if (request_.type == "trigger" && request_.name == "fire") {
            const FireReplySummary reply = SummariseFireReply(value);
            if (reply.isReply) {
                object.List("matched", reply.matched).List("exhausted", reply.exhausted);
                object.Text("refused", reply.refused).Flag("suspended", reply.suspended);
            }
        }
        const std::string advice = RequestAdvice(request_, value, code);
        if (!advice.empty()) {
            object.Text("advice", advice);
        }
        return object.Line();
    }

    std::string Action(const ActionReport& report) override {
        const RequestSummary target = PeekRequestTarget(report.request);
        return JsonObject()
            .Text("kind", "action")
            .Text("type", target.type)
            .Text("name", target.name)
            .Text("request", Shortened(report.request))
            .Text("result", Shortened(ResultValue(report.result)))
            .Text("code", Hex(report.code))
            .Text("meaning", CodeMeaning(report.code))
            .Line();
    }

    std::string Log(const std::string& line) override {
        return JsonObject().Text("kind", "log").Text("text", Shortened(line)).Line();
    }

    std::string Failure(HRESULT code, const std::string& description) override {
        return JsonObject()
            .Text("kind", "failure")
            .Text("code", Hex(code))
            .Text("meaning", CodeMeaning(code))
            .Text("description", Shortened(description))
            .Line();
    }

    std::string Note(const std::string& text) override {
        return JsonObject().Text("kind", "note").Text("text", text).Line();
    }

    std::string Stopped(HRESULT code) override {
        return JsonObject().Text("kind", "stopped").Text("code", Hex(code)).Line();
    }

  private:
    RequestSummary request_;
    std::string requestXml_;
};

}  // namespace

std::unique_ptr<SessionFormat> MakeTextFormat(const HostOptions& options, bool colour) {
    return std::make_unique<TextFormat>(options, colour);
}

std::unique_ptr<SessionFormat> MakeJsonFormat() {
    return std::make_unique<JsonFormat>();
}
