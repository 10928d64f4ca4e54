-- Zentova's tables, for a database where the strips' role may not make
-- them: run once as the database's owner, then give that role its rights.
CREATE TABLE IF NOT EXISTS zentova_schema (version integer NOT NULL);
CREATE TABLE IF NOT EXISTS zentova_change (
    id uuid PRIMARY KEY,
    person text NOT NULL,
    folder text NOT NULL,
    day date NOT NULL,
    at timestamptz NOT NULL,
    counter smallint NOT NULL CHECK (counter BETWEEN 1 AND 5),
    title text NOT NULL,
    delta integer NOT NULL,
    count integer NOT NULL,
    kind text NOT NULL DEFAULT '',
    worked integer);
CREATE INDEX IF NOT EXISTS zentova_change_day ON zentova_change (day, person);
CREATE TABLE IF NOT EXISTS zentova_strip (
    folder text PRIMARY KEY,
    person text NOT NULL,
    seen timestamptz NOT NULL);
INSERT INTO zentova_schema (version) SELECT 1
    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema);
-- Tables of an earlier Zentova are brought up to date.
ALTER TABLE zentova_change ADD COLUMN IF NOT EXISTS worked integer;
INSERT INTO zentova_schema (version) SELECT 2
    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema WHERE version >= 2);
GRANT SELECT ON zentova_schema TO zentova;
GRANT SELECT, INSERT ON zentova_change TO zentova;
GRANT SELECT, INSERT, UPDATE ON zentova_strip TO zentova;
