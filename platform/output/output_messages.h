// Numbers of the output system's catalogue entries (set kMsgSet, in
// platform/catalogue/output.msg). Entries 2 to 29 take (method or operation, object
// kind, object name) first, but for kColumnTwice, which takes (object kind, object name).
#pragma once

namespace plat::out::msg {
constexpr int kMissing = 2;        // attribute id
constexpr int kType = 3;           // attribute id, value type
constexpr int kUnknownText = 4;    // attribute id, value type
constexpr int kPairs = 5;          // attribute id, value type
constexpr int kNoClass = 10;       // class or family name
constexpr int kColumnTwice = 11;   // column (no method number)
constexpr int kColumnLate = 12;    // column
constexpr int kColumnType = 13;    // column, type
constexpr int kCharWidth = 14;     // column, width
constexpr int kNoColumn = 15;      // column
constexpr int kRowEarly = 16;
constexpr int kNotBound = 17;
constexpr int kRowsEnded = 18;
constexpr int kNotObject = 19;     // what was expected ("a table", ...)
constexpr int kNoReadBack = 21;    // attribute id
constexpr int kUnknownOp = 22;
constexpr int kPairLate = 23;
constexpr int kNoCell = 24;        // column
constexpr int kBindEarly = 25;
constexpr int kNoAnchor = 30;
constexpr int kJsonFile = 31;      // path, reason
constexpr int kStale = 32;         // "method" or "operation", its number
constexpr int kNoHandle = 33;      // (method, object kind, object name)
constexpr int kCloseBound = 34;
constexpr int kNoDestList = 40;
constexpr int kNoNamedList = 41;   // name
constexpr int kNoItem = 42;        // item, count
constexpr int kTableMismatch = 43; // entry
constexpr int kResultNoMethod = 101;
constexpr int kResultAttribute = 102;
constexpr int kResultOrder = 103;
constexpr int kResultHandle = 104;
constexpr int kResultCreate = 105;
}  // namespace plat::out::msg
