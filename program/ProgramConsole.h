#pragma once

// Where the program's text goes when it is not given a console of its own.
class ProgramConsole {
  public:
    // Makes standard input and output reach a user: a no-op where they already do (a
    // console program, a pipe, a file). The Windows desktop build has none when started
    // from Explorer or a prompt: interactive use gets a console window of its own, output
    // alone goes to the console of the prompt it was started from.
    static void Ensure(bool interactive);
};
