// The trigger manager: a dual interface reached through the trigger-manager library's factory,
// and the event interface it calls back through a connection point.
#pragma once

#include "companions/iid_of.h"

// {4A3F16FC-1345-4FDA-AA3A-DA8D2470B1B1}
inline constexpr IID IID_ITriggerManager = {
    0x4A3F16FC, 0x1345, 0x4FDA, {0xAA, 0x3A, 0xDA, 0x8D, 0x24, 0x70, 0xB1, 0xB1}};
// {0EE85163-615E-454E-9E4E-1B56D12A3C17}
inline constexpr IID IID_ITriggerEvents = {
    0x0EE85163, 0x615E, 0x454E, {0x9E, 0x4E, 0x1B, 0x56, 0xD1, 0x2A, 0x3C, 0x17}};

// TriggerFired(id, data): the only event; its two string arguments arrive last first.
inline constexpr DISPID DISPID_TRIGGERFIRED = 1;

// Method-table positions are fixed: Fire 7, AddTrigger 8, RemoveTrigger 9, DeleteDatabase 10,
// an unused slot 11, Suspend 12, Resume 13.
struct ITriggerManager : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Fire(BSTR data, BSTR* reply) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddTrigger(BSTR id, BSTR condition, LONG* added) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveTrigger(BSTR idOrPattern, LONG* removed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteDatabase(LONG* deleted) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Suspend() = 0;
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
};

TB_DECLARE_IID(ITriggerManager, IID_ITriggerManager)

// Exported by the trigger-manager library (ordinal 5, no name, on Windows). Success hands over
// one reference.
STDAPI CreateTriggerManager(ITriggerManager** manager);
