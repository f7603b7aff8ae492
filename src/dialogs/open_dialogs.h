#pragma once

// The dialogs and message boxes open at a moment, whoever opened them: a
// program that is asked to end closes them instead of waiting for the
// operator.

// Ends every open dialog and message box as its Cancel, No or close button
// would: the answer that changes nothing. Each one's exec() returns as soon
// as the event loop is back in it.
void reject_open_dialogs();
