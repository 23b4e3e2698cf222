// IidOf<T>(): the interface id of an interface type, for portable code without __uuidof.
#pragma once

#include "platform/win32.h"
#include "platform/xml_dom.h"

template <class Interface>
const IID& IidOf();

// The interface a COM class implements through `Base`: Base itself, or the interface a helper base
// (one that fills some of an interface's slots) names as its ComInterface.
template <class Base>
struct ComInterfaceOf {
    using type = Base;
};

template <class Base>
requires requires {
    typename Base::ComInterface;
}
struct ComInterfaceOf<Base> {
    using type = typename Base::ComInterface;
};

#define TB_DECLARE_IID(Interface, iid)     \
    template <>                            \
    inline const IID& IidOf<Interface>() { \
        return iid;                        \
    }

TB_DECLARE_IID(IUnknown, IID_IUnknown)
TB_DECLARE_IID(IDispatch, IID_IDispatch)
TB_DECLARE_IID(IConnectionPointContainer, IID_IConnectionPointContainer)
TB_DECLARE_IID(IConnectionPoint, IID_IConnectionPoint)
TB_DECLARE_IID(IErrorInfo, IID_IErrorInfo)
TB_DECLARE_IID(ICreateErrorInfo, IID_ICreateErrorInfo)
TB_DECLARE_IID(ISupportErrorInfo, IID_ISupportErrorInfo)
TB_DECLARE_IID(IXMLDOMNode, IID_IXMLDOMNode)
TB_DECLARE_IID(IXMLDOMDocument, IID_IXMLDOMDocument)
TB_DECLARE_IID(IXMLDOMElement, IID_IXMLDOMElement)
