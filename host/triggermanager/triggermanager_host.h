// The trigger manager's host-facing functions: settings a host makes before it creates managers,
// and what it may ask of them all afterwards. CreateTriggerManager itself is declared in
// companions/trigger_manager.h.
//
// What a manager does:
// - A trigger is an id and a condition, an XPath 1.0 expression evaluated against the fired data
//   (a document whose root is the data's root element). It matches when the expression selects a
//   node or is true, nonzero or non-empty; the empty condition matches every firing. AddTrigger
//   answers *added = 0 (S_OK) for a condition that does not compile; an id added again replaces
//   its condition. An empty id, or one holding a character that XML cannot carry, is refused with
//   E_INVALIDARG.
// - RemoveTrigger(idOrPattern) removes the exact id (case matters), or, when the text holds '*' or
//   '?', every id the pattern matches: anchored at both ends, '*' any run of characters, '?' one
//   character, ASCII letters in either case. *removed is the number of triggers removed.
// - DeleteDatabase removes every trigger and answers *deleted = 1.
// - Suspend and Resume answer S_OK when they change the state and S_FALSE when it was so already.
// - Triggers live in a SQLite database: the file the host names, or a private in-memory database
//   per manager. A file belongs to one manager at a time (each fires from its own copy of the
//   triggers): another manager waits up to 5 s for it to be released. A database that cannot be
//   opened makes CreateTriggerManager fail, with a description in the thread's error information
//   that names the cause (a missing directory, a read-only file or directory, a file that is not
//   a database, a lock held by another process, a full disk) beside SQLite's own words.
//
// Fire(data, reply) answers S_OK with one of these replies:
// - data that does not parse as XML: the empty string;
// - matches:
//     <FireResult matched="2"><Trigger id="door1"/><Trigger id="door2"/></FireResult>
//   (ids in id order, that is by the bytes of their UTF-8 text; no match gives
//   <FireResult matched="0"/>);
// - when the evaluation of some conditions ran out of work (below), they count as not matched
//   and are listed after the matches:
//     <FireResult matched="1" exhausted="1"><Trigger id="door1"/><Exhausted id="slow"/>
//     </FireResult>;
// - while suspended: <FireResult suspended="true" matched="0"/>;
// - refused because the firing would lie 17 deep in its chain (below):
//                    <FireResult refused="loop" depth="17" matched="0"/>;
// - refused because its chain has run all the firings of its budget (below), here 256:
//                    <FireResult refused="budget" budget="256" matched="0"/>.
// Ids are written with &, <, >, " and line-breaking white space escaped.
//
// Conditions: the evaluation of one condition against one firing may do a bounded amount of
// work, a couple of milliseconds, whatever the condition and the data (every node a step visits,
// every merge of node-sets, every string value taken and every string built or searched counts).
// One that would do more stops there: its trigger does not match, the reply lists it as
// exhausted and it is counted (TriggerManagerExhaustedConditions).
//
// Which conditions a firing evaluates: one that is an absolute path of child steps with plain
// names (/TriggerData/door[@id='front' and @state='open']) can only select something in data
// that holds its path and every attribute or string value it compares with a literal in a
// top-level 'and' of a predicate. Each such trigger is filed under one of those facts; a firing
// reads its data once for the facts it holds and evaluates the triggers filed under them, and
// every condition of another shape (the empty one matches without evaluation). The matches and
// events are those of evaluating every condition, at a cost that follows the data and the
// triggers it may match, not the number of triggers. One difference shows: a condition the
// data rules out is not evaluated, so it is never listed as exhausted, even where evaluating it
// would have run out of work before finding it false.
//
// Events: for each matched trigger, in id order, every advised sink receives
// TriggerFired(id, data) (Invoke with DISPID 1 and two BSTR arguments, the id last first). By
// default they are delivered on the thread that fires, before Fire returns. With a delivery thread
// Fire replies at once and the manager's own thread delivers the events in firing order. No lock
// of the manager is held while a sink runs, so a sink may call back into the manager, even
// release it. Unadvise returns only when no call of that sink is running on another thread, unless
// Unadvise is itself called from inside an event (two sinks could otherwise wait for each other).
// Events still queued when the manager is destroyed are dropped: whoever released the last
// reference wanted no more of them; call TriggerManagerWaitIdle first to have them delivered.
//
// Loop guard: a Fire made while an event of a firing is being delivered (a sink that fires, on
// the caller's thread or on the delivery thread) belongs to that firing's chain and lies one
// deeper; any other Fire starts a chain. A chain is bounded twice: in depth (a firing deeper than
// 16 is refused) and in firings in all, its budget (256 unless the host sets another with
// TriggerManagerSetChainBudget before it creates the manager that starts the chain): once the
// chain has run that many, every further firing of it is refused, on any thread. Depth alone
// would let two triggers that fire each other's data run 2^16 firings. A refused firing
// evaluates nothing, says why in its reply and is counted (TriggerManagerRefusedFirings, and
// TriggerManagerRefusedOverBudget for the budget).
#pragma once

#include "companions/trigger_manager.h"
#include "platform/win32.h"

#define TB_TRIGGERMANAGER_API extern "C" TB_EXPORT

// The database file for managers created from now on (UTF-8 path); null or "" keeps each manager's
// triggers in memory.
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetDatabasePath(const char* utf8Path);

// Whether managers created from now on deliver events on a thread of their own.
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetDeliveryThread(BOOL enabled);

// The budget of firings of each chain that managers created from now on start (at least 1, else
// E_INVALIDARG); the chains of existing managers keep theirs.
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetChainBudget(LONG firings);

// Waits until no manager has an event queued or being delivered: S_OK, or S_FALSE when the time
// ran out first. INFINITE (0xFFFFFFFF) waits without limit. Called from inside an event on a
// delivery thread, that event itself does not count.
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerWaitIdle(DWORD timeoutMs);

// How many firings the loop guard has refused in this process, for either bound.
TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerRefusedFirings();
// How many of those were refused because their chain had used its budget.
TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerRefusedOverBudget();

// How many evaluations of conditions ran out of work in this process.
TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerExhaustedConditions();

// Called with the code and the description (UTF-8) of every failure that the factory or a
// manager's method reports from its work (the database, memory), on the failing call's thread,
// after the thread's error information is set and outside every lock of the manager. A caller in
// between may consume that error information (reading it clears it); the observer sees the cause
// all the same. Null stops the reports; replacing the observer waits until no other thread is
// inside the previous one, so its context may be destroyed once this returns.
typedef void (*TriggerManagerFailureObserver)(HRESULT code, const char* utf8Description,
                                              void* context);
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE
TriggerManagerSetFailureObserver(TriggerManagerFailureObserver observer, void* context);

// The triggers of every manager alive in the process (in practice the host's one), manager by
// manager, each in id order: all of them for a null or empty text, else the exact id or the ids
// the pattern matches, as RemoveTrigger takes them. The visitor gets each id and its condition
// (UTF-8; "" matches every firing), on the calling thread and outside every lock of the managers.
typedef void (*TriggerManagerTriggerVisitor)(const char* utf8Id, const char* utf8Condition,
                                             void* context);
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerListTriggers(
    const char* utf8IdOrPattern, TriggerManagerTriggerVisitor visitor, void* context);

// What a condition makes of some data, evaluated as Fire would evaluate it (the same parsing of
// the data, the same check as AddTrigger, the same engine and the same work bound), beside the
// managers: nothing fires, nothing is counted.
enum {
    TRIGGERMANAGER_TEST_MATCHED = 0,
    TRIGGERMANAGER_TEST_NOT_MATCHED = 1,
    TRIGGERMANAGER_TEST_INVALID_CONDITION = 2,  // AddTrigger would answer *added = 0
    TRIGGERMANAGER_TEST_DATA_NOT_XML = 3,       // Fire would give the empty reply
    TRIGGERMANAGER_TEST_OUT_OF_WORK = 4,        // Fire would list the trigger as exhausted
};
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerTestCondition(const char* utf8Condition,
                                                                         const char* utf8Data,
                                                                         LONG* outcome);

// The last firings of the process, kept once the host asks: from then on every Fire of every
// manager is kept, in the order the firings were made (a firing before the firings its events
// set off), in a ring of at most `firings` (up to 10000; 0 stops keeping them and forgets them).
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetHistoryLength(LONG firings);

enum {
    TRIGGERMANAGER_FIRING_EVALUATED = 0,
    TRIGGERMANAGER_FIRING_SUSPENDED = 1,
    TRIGGERMANAGER_FIRING_REFUSED_LOOP = 2,
    TRIGGERMANAGER_FIRING_REFUSED_BUDGET = 3,
    TRIGGERMANAGER_FIRING_NOT_XML = 4,
};
typedef struct TriggerManagerFiring {
    ULONG sequence;  // counts the firings kept, from 1
    LONG depth;      // 1 for the firing that starts its chain
    LONG outcome;    // TRIGGERMANAGER_FIRING_...
    LONG budget;     // the chain's budget, for TRIGGERMANAGER_FIRING_REFUSED_BUDGET
    LONG matchedCount;
    LONG exhaustedCount;
    // The first ids of each kind (UTF-8), as many as 4 KiB holds; the counts above are whole.
    const char* const* matched;
    LONG matchedKept;
    const char* const* exhausted;
    LONG exhaustedKept;
    const char* data;  // the first 512 bytes of the data, at most (UTF-8, cut on a character)
    ULONG dataBytes;   // the whole data's size in UTF-8
} TriggerManagerFiring;
// The last `count` firings kept, oldest first, each to the visitor (on the calling thread, outside
// every lock; the pointers live for that call only).
typedef void (*TriggerManagerFiringVisitor)(const TriggerManagerFiring* firing, void* context);
TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE
TriggerManagerFiringHistory(LONG count, TriggerManagerFiringVisitor visitor, void* context);
