// Host-facing functions of the configuration-data library, beyond CreateConfigDocument: what the
// trigger manager needs to evaluate conditions against fired data.
#pragma once

#include <cstddef>

#include "companions/config_document.h"

// Evaluates an XPath 1.0 expression against the document's root (the document must come from
// this library's CreateConfigDocument). *matched = 1 when the expression selects at least one
// node, or its value is boolean true, a nonzero non-NaN number, or a non-empty string; else 0.
// E_INVALIDARG (with ReportError description) when the expression does not compile;
// E_POINTER for null arguments; S_OK otherwise (a document with no root: *matched = 0).
// The context node is the root element, so relative paths start there; absolute paths start
// at the document. One evaluation may do a bounded amount of work, whatever the expression and
// the document (every node a step visits, every merge of node-sets, every string value and every
// string a function builds or searches counts): one that would do more is stopped, and gives
// *matched = 0 and CONFIGDATA_S_OUT_OF_WORK. An evaluation that fails otherwise while running
// gives *matched = 0 and S_FALSE. Both leave a description in the thread's error information.
// Compiled expressions are cached per thread; calls on different threads may run at once, also
// against one document.
STDAPI ConfigDataEvaluate(IConfigDocument* document, BSTR expression, LONG* matched);

// The success code of an evaluation that ran out of work before it reached its value.
inline constexpr HRESULT CONFIGDATA_S_OUT_OF_WORK = 0x00040201;

// *valid = 1 when the expression compiles as XPath 1.0, else 0; S_OK. An expression that names
// an unknown function or an unbound variable, or passes an argument of the wrong type, counts as
// not compiling: it could never be evaluated.
STDAPI ConfigDataCheckExpression(BSTR expression, LONG* valid);

// What ConfigDataVisitElements tells as it walks a document's elements from the root down, in
// document order. Each method runs on the walking thread and must not raise; names and text are
// UTF-8, valid only during the call. The handles are the visitor's own.
struct IConfigDataElementVisitor {
    // An element without a namespace whose parent is the document (`parent` null) or an element
    // the visitor took. The element's handle from now on, or null to hear nothing more of it and
    // of what lies inside it.
    virtual void* STDMETHODCALLTYPE EnterElement(void* parent, const char* name,
                                                 std::size_t nameLength) = 0;
    // An attribute without a namespace of an element the visitor took, with its string value.
    virtual void STDMETHODCALLTYPE Attribute(void* element, const char* name,
                                             std::size_t nameLength, const char* value,
                                             std::size_t valueLength) = 0;
    // Whether StringValue should report the element's string value once it has been read.
    virtual BOOL STDMETHODCALLTYPE WantsStringValue(void* element) = 0;
    // The element's string value as XPath takes it: the text and CDATA inside it, in document
    // order. Null `value` when it cannot be told exactly (an entity reference inside): it may
    // be anything.
    virtual void STDMETHODCALLTYPE StringValue(void* element, const char* value,
                                               std::size_t length) = 0;
};

// Walks the document (from this library's CreateConfigDocument) once, telling the visitor what
// an absolute path of unprefixed child steps would see: elements in a namespace, and everything
// inside them, are passed over unless an element the visitor wants the string value of holds
// them. Costs time linear in the part of the document walked. S_OK; E_POINTER for null
// arguments; E_INVALIDARG for a document of another library; E_OUTOFMEMORY.
STDAPI ConfigDataVisitElements(IConfigDocument* document, IConfigDataElementVisitor* visitor);
