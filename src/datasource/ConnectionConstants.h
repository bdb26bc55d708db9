// ADO's numbers for the connection and record-set states, the "Prompt" property and the tables schema,
// as the callers of Connection and QueryRecordSet use them.
#pragma once

namespace dorvane::ado {

enum ObjectState : int
{
    adStateClosed = 0,
    adStateOpen = 1,
};

enum ConnectPrompt : int
{
    adPromptAlways = 1,
    adPromptComplete = 2,
    adPromptCompleteRequired = 3,
    adPromptNever = 4,
};

enum SchemaKind : int
{
    adSchemaTables = 20,
};

} // namespace dorvane::ado
