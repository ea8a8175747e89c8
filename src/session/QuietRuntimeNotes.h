#pragma once
// The console tools (marlix-run, the printer simulator) speak on standard
// error, so what appears there must be theirs. Qt notes there when it has
// to make up a runtime folder ("QStandardPaths: XDG_RUNTIME_DIR not set,
// defaulting to ..."), which under cron, CI or a root shell is the rule, and
// neither tool uses that folder. This drops Qt's notes about the runtime
// folder and hands every other message on as before; the environment stays
// as the user set it. Call before the application object exists.
void quietRuntimeFolderNotes();
