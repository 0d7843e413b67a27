-- The address book table. Every text column holds at most the characters the
-- program lets a person type; the file refuses longer values itself, so a value
-- that slipped past an editor is refused when it is saved.
-- Surname compares without regard to letter case, so that ORDER BY Surname puts
-- "adams" between "Abbot" and "Baker". NOCASE here is SQLite's own, which every
-- tool knows; the program's fuller order (every letter, accents beside their
-- plain forms) has a name of its own that only its statements use, so an index
-- any tool builds on this file stays in order whoever writes to it.
CREATE TABLE HomeAd (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  "Surname" TEXT COLLATE NOCASE CONSTRAINT "Surname holds at most 30 characters" CHECK (length("Surname") <= 30),
  "Midname" TEXT CONSTRAINT "Midname holds at most 20 characters" CHECK (length("Midname") <= 20),
  "Firstname" TEXT CONSTRAINT "Firstname holds at most 20 characters" CHECK (length("Firstname") <= 20),
  "Address1" TEXT CONSTRAINT "Address1 holds at most 25 characters" CHECK (length("Address1") <= 25),
  "Address2" TEXT CONSTRAINT "Address2 holds at most 25 characters" CHECK (length("Address2") <= 25),
  "A3_Village" TEXT CONSTRAINT "A3_Village holds at most 20 characters" CHECK (length("A3_Village") <= 20),
  "Town" TEXT CONSTRAINT "Town holds at most 20 characters" CHECK (length("Town") <= 20),
  "County" TEXT CONSTRAINT "County holds at most 20 characters" CHECK (length("County") <= 20),
  "PostCode" TEXT CONSTRAINT "PostCode holds at most 10 characters" CHECK (length("PostCode") <= 10),
  "Country" TEXT CONSTRAINT "Country holds at most 29 characters" CHECK (length("Country") <= 29),
  "Tel" TEXT CONSTRAINT "Tel holds at most 15 characters" CHECK (length("Tel") <= 15),
  "Cell" TEXT CONSTRAINT "Cell holds at most 15 characters" CHECK (length("Cell") <= 15),
  "Email" TEXT CONSTRAINT "Email holds at most 50 characters" CHECK (length("Email") <= 50),
  "Birthday" TEXT CONSTRAINT "Birthday must be a date (YYYY-MM-DD)" CHECK ("Birthday" IS NULL OR "Birthday" GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]*'),
  "Notes" TEXT,
  "Workplace" TEXT CONSTRAINT "Workplace holds at most 30 characters" CHECK (length("Workplace") <= 30),
  "Work Tel" TEXT CONSTRAINT "Work Tel holds at most 15 characters" CHECK (length("Work Tel") <= 15),
  "Flag" TEXT CONSTRAINT "Flag holds at most 6 characters" CHECK (length("Flag") <= 6),
  "Flag2" TEXT CONSTRAINT "Flag2 holds at most 6 characters" CHECK (length("Flag2") <= 6)
);
