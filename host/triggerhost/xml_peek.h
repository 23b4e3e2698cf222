// Small read-only looks into request and result texts, for printing them briefly.
#pragma once

#include <string>

struct RequestSummary {
    std::string type;
    std::string name;
    std::string id;
    std::string payload;  // the serialised children of TriggerData, for "fire"
};

// What a request asks for; empty fields when the text does not parse.
RequestSummary SummariseRequest(const std::string& xml);

// The text of a result document's Result element; the whole text when it is no result document.
std::string ResultValue(const std::string& xml);
