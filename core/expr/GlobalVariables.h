#pragma once
// The current player's global script variables. The game data layer owns the table (one per
// player) and installs the current one here; expressions read it after their local variables.

class VariableTable;

// The installed table, or null when no player is current. Main thread.
VariableTable* GetGlobalVariables();
// Installs the table of the current player (null for none); the caller keeps ownership and
// installs null before destroying it. Main thread.
void SetGlobalVariables(VariableTable* table);
