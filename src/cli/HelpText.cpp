#include "cli/HelpText.h"

namespace dorvane {

namespace {

const char* const Usage = R"(usage:
  dorvane tables  SOURCE
  dorvane search  SOURCE [--table NAME]... --find TEXT [MATCH] [--report FILE]
  dorvane replace SOURCE [--table NAME]... --find TEXT --replace TEXT [MATCH] [--dry-run] [--report FILE] [--journal FILE]
  dorvane undo    SOURCE --journal FILE [--run ID|last] [--dry-run] [--report FILE]
  dorvane runs    --journal FILE
SOURCE: --connection STRING   an ODBC connection string
        --connection -        the connection string from the first line of standard input
        --file PATH           a database file, opened through the file-driver table as the window opens it
MATCH:  --whole-field --match-case --whole-words --regex
)";

const char* const Details = R"(
Dorvane searches and replaces text in the tables of a database, with the same matching, data-type table
and update rule as its window, so a search finds the same hits in both.

Commands:
  tables     list the source's tables, one per line, in the source's order
  search     list every hit (one line each: table, record, field, value) and the summary
  replace    save the proposed value into every hit; with --dry-run list what would change
             (table, record, field, value before, value after) and change nothing
  undo       take a journaled run back: each field gets its old value again, newest change first,
             only where it still holds the value the run wrote (else "conflict", left alone);
             the undo is itself a journaled run; with --dry-run list what it would restore
  runs       list the journal's runs (id, kind, times, source, options, counts)

Options:
  --table NAME       walk only this table (repeatable, in the order given); default: all tables
  --find TEXT        the search text; "" looks for empty fields, as in the window
  --replace TEXT     the replacement text; "" removes what was found
  --whole-field      the whole value must equal TEXT (case-sensitive, as in the window)
  --match-case       tell capitals from small letters
  --whole-words      TEXT must stand as a whole word
  --regex            TEXT is a regular expression (VBScript syntax: \b, [a-z], $1 in --replace)
  --dry-run          change nothing; report what would change
  --report FILE      write one entry per hit to FILE, JSON (.json) or CSV (.csv), atomically
  --journal FILE     record every change in FILE, a SQLite file made when missing; runs are appended
  --run ID|last      the journaled run to take back (default: last, the run that began last)
  --quiet            no progress bar
  --no-server-filter read every row of every table (see "Server filter" below)
  --help             this text

Replacement: a literal search (part of the field, whole field) replaces the text literally, and the
whole field replaces the whole value; only --regex and --whole-words use a pattern (with $1 groups in
--regex). The window proposes its replacement by its own display rule and lets the user edit it.

Output: with standard error on a terminal a progress bar shows the table (n of N), its name, the
records done of its count and the hits so far. The last line on standard output is the summary
  tables=T records=R hits=H saved=S failed=F
(search and dry runs save nothing; for undo, hits are the journaled changes and failed counts the
conflicts too). A report holds per hit the table, the record position, the field, the row's key where
it has one, the value before and after and the status: found, saved, dry-run, failed (with the
reason), conflict, not-applied (undo of a change that never reached the database). Passwords of the
connection string are never written to the journal, a report or a message. A password given with
--connection STRING can be read in the process list by every user of the machine; give the string on
standard input with --connection -, or keep the password in a data source of odbc.ini (DSN=name).

Server filter: on PostgreSQL, MariaDB and MySQL, search and replace ask the server only for the rows
that can hold a hit (a LIKE/ILIKE/strpos test of the text columns for the search text); the program
still tests every field of those rows, so the hits are exactly those of a run over every row. A regular
expression, an empty search text, or a searched column whose text form may hold the search text (a
number column and a search for digits, for example) reads the whole table. In a table the server
filtered a hit's record position is not known: the hit lines and CSV leave it empty, JSON gives null,
and the key names the row; records=R counts the rows the program examined, there the candidates, and
the progress bar shows them without the table's count.

Saving: saves are committed in batches (a few hundred changes or a fraction of a second, whichever comes
first) with the journal in step: after any fault each field is either old or new, and the journal
holds a change exactly when the database does (a change caught in flight is marked pending, and undo
asks the database about it).

Exit status: 0 every hit was saved, or nothing was asked to be saved; 1 some saves failed (or an undo
met conflicts, or a table or field could not be read), the rest of the run went on; 2 bad usage, an
invalid pattern, a source that cannot be opened or a journal that cannot be written: nothing was
started or changed; 130 interrupted (the changes saved so far are committed and journaled).
)";

} // namespace

QString usageText()
{
    return QString::fromUtf8(Usage);
}

QString helpText()
{
    return QString::fromUtf8(Usage) + QString::fromUtf8(Details);
}

} // namespace dorvane
