// IidOf<T>(): the interface id of an interface type, for portable code without __uuidof.
#pragma once

#include "platform/win32.h"
#include "platform/xml_dom.h"

template <class Interface>
const IID& IidOf();

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
