// The platform DOM's load rule for white space: a text node that holds nothing but white space
// is dropped unless xml:space="preserve" is in effect, so an indented request loads as the same
// tree as the same request written on one line.
#pragma once

#include <libxml/tree.h>

namespace configdata {

// Removes from a freshly parsed tree every text node of only spaces, tabs, line feeds and
// carriage returns, except inside an element where xml:space="preserve" holds (inherited, and
// ended again by xml:space="default"). Text with anything else in it stays whole; CDATA sections,
// comments and instructions stay. The tree must have no node objects yet. Raises std::bad_alloc.
void DropWhiteSpaceText(xmlDoc* document);

}  // namespace configdata
