// Small read-only looks into request and result texts, for printing them briefly. None of them
// reads a document type declaration: a text that has one is not looked into.
#pragma once

#include <string>
#include <vector>

struct RequestSummary {
    std::string type;
    std::string name;
    std::string id;
    std::string payload;  // the serialised children of TriggerData, for "fire"
    std::string condition;
    std::string action;  // the first Action child, serialised, when there is one
    bool hasAction = false;
    const char* refusal = nullptr;  // why the text was not read, when it was refused
};

// What a request asks for; empty fields when the text does not parse.
RequestSummary SummariseRequest(const std::string& xml);

// Only the root's "type", "name" and "id": the parse ends with the root's start tag, so a large
// request costs no more than its first element.
RequestSummary PeekRequestTarget(const std::string& xml);

// The text of a result document's Result element; the whole text when it is no result document.
std::string ResultValue(const std::string& xml);

// Why the text is not one well-formed XML document ("line 1: ..."), or "" when it is one.
std::string XmlFault(const std::string& xml);

// What a fire reply says: the ids matched and exhausted, and why nothing was evaluated.
struct FireReplySummary {
    bool isReply = false;  // a FireResult element
    std::vector<std::string> matched;
    std::vector<std::string> exhausted;
    std::string refused;  // "loop", "budget" or ""
    bool suspended = false;
};
FireReplySummary SummariseFireReply(const std::string& reply);
