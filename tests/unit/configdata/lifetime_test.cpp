// References and lifetimes: every object goes with its last reference, nodes keep their document
// alive, and nothing a caller still holds is freed under it. ASan's leak check covers what the
// counts here cannot see.
#include "dom_support.h"

namespace configdata_test {
namespace {

TEST(Lifetime, LastReleaseOfEachObjectIsZero) {
    IConfigDocument* config = nullptr;
    ASSERT_EQ(CreateConfigDocument(&config), S_OK);
    IUnknown* document = nullptr;
    ASSERT_EQ(config->GetDocument(&document), S_OK);
    EXPECT_EQ(config->Release(), 0u);
    EXPECT_EQ(document->Release(), 0u);
}

TEST(Lifetime, GetDocumentHandsOverOneReference) {
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    ComPtr<IUnknown> first;
    ASSERT_EQ(config->GetDocument(first.put()), S_OK);
    const ULONG held = OtherReferences(first.get());
    ComPtr<IUnknown> second;
    ASSERT_EQ(config->GetDocument(second.put()), S_OK);
    EXPECT_EQ(OtherReferences(first.get()), held + 1);
    EXPECT_EQ(first.get(), second.get());
}

TEST(Lifetime, NodesOutliveTheReferencesToTheirDocument) {
    ComPtr<IXMLDOMElement> action;
    ComPtr<IXMLDOMElement> created;
    {
        const ComPtr<IXMLDOMDocument> dom = LoadedDom("<Request><Action n=\"1\"/></Request>");
        action = Select(dom.As<IXMLDOMNode>(), "/*/Action").As<IXMLDOMElement>();
        created = NewElement(dom, "Made");
    }
    EXPECT_EQ(XmlOf(action), "<Action n=\"1\"/>");
    ASSERT_EQ(action->appendChild(created.get(), nullptr), S_OK);
    EXPECT_EQ(XmlOf(action), "<Action n=\"1\"><Made/></Action>");
    // appendChild without an out slot hands out no reference.
    EXPECT_EQ(OtherReferences(created.get()), 0u);
}

TEST(Lifetime, NodesHeldAcrossALoadStayUsable) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<old><kept>1</kept></old>");
    const ComPtr<IXMLDOMNode> kept = Select(dom.As<IXMLDOMNode>(), "/old/kept");
    const ComPtr<IXMLDOMElement> orphan = NewElement(dom, "orphan");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(dom->loadXML(B("<new/>").get(), &loaded), S_OK);
    EXPECT_EQ(XmlOf(kept), "<kept>1</kept>");
    ASSERT_EQ(kept->put_text(B("2").get()), S_OK);
    EXPECT_EQ(XmlOf(Select(kept, "/")), "<old><kept>2</kept></old>");
    // Nodes of the replaced content come into the new one as copies.
    ASSERT_EQ(RootOf(dom)->appendChild(kept.get(), nullptr), S_OK);
    ASSERT_EQ(RootOf(dom)->appendChild(orphan.get(), nullptr), S_OK);
    EXPECT_EQ(XmlOf(dom), "<new><kept>2</kept><orphan/></new>");
}

TEST(Lifetime, RemovedChildrenStayWithTheirHolders) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><a><b>x</b></a>t</r>");
    const ComPtr<IXMLDOMNode> b = Select(dom.As<IXMLDOMNode>(), "//b");
    ASSERT_EQ(RootOf(dom)->put_text(B("new").get()), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r>new</r>");
    EXPECT_EQ(XmlOf(b), "<b>x</b>");
    EXPECT_EQ(XmlOf(Select(b, "..")), "<a><b>x</b></a>");
    // Put back, it is part of the document again.
    ASSERT_EQ(RootOf(dom)->appendChild(b.get(), nullptr), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r>new<b>x</b></r>");
}

TEST(Lifetime, ChildOfADetachedSubtreeKeepsItAlive) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    ComPtr<IXMLDOMElement> parent = NewElement(dom, "p");
    const ComPtr<IXMLDOMElement> child = NewElement(dom, "c");
    ASSERT_EQ(parent->appendChild(child.get(), nullptr), S_OK);
    parent.reset();
    EXPECT_EQ(XmlOf(Select(child.As<IXMLDOMNode>(), "..")), "<p><c/></p>");
}

TEST(Lifetime, ManyNodesComeAndGo) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r/>");
    const ComPtr<IXMLDOMElement> root = RootOf(dom);
    for (int i = 0; i < 200; ++i) {
        const ComPtr<IXMLDOMElement> made = NewElement(dom, "e");
        const ComPtr<IXMLDOMElement> discarded = NewElement(dom, "never");
        ASSERT_EQ(made->put_text(B("v").get()), S_OK);
        if (i % 2 == 0) {
            ASSERT_EQ(root->appendChild(made.get(), nullptr), S_OK);
        }
    }
    EXPECT_EQ(TextOf(root), std::string(100, 'v'));
    EXPECT_EQ(OtherReferences(root.get()), 0u);
}

}  // namespace
}  // namespace configdata_test
