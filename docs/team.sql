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
BEGIN;
LOCK TABLE zentova_change IN SHARE ROW EXCLUSIVE MODE;
CREATE TABLE IF NOT EXISTS zentova_total (
    day date NOT NULL,
    person text NOT NULL,
    folder text NOT NULL,
    counter smallint NOT NULL,
    title text NOT NULL,
    total bigint NOT NULL,
    last timestamptz NOT NULL,
    changed xid8 NOT NULL DEFAULT pg_current_xact_id(),
    PRIMARY KEY (day, person, folder, counter, title));
CREATE INDEX IF NOT EXISTS zentova_total_changed ON zentova_total (changed);
CREATE INDEX IF NOT EXISTS zentova_total_person ON zentova_total (person, title, day);
CREATE OR REPLACE FUNCTION zentova_add_totals() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $$
BEGIN
    INSERT INTO zentova_total AS t (day, person, folder, counter, title, total, last)
    SELECT day, person, folder, counter, title, sum(coalesce(worked, delta)), max(at)
    FROM zentova_new GROUP BY day, person, folder, counter, title
    ON CONFLICT (day, person, folder, counter, title) DO UPDATE
    SET total = t.total + excluded.total, last = greatest(t.last, excluded.last),
        changed = pg_current_xact_id();
    RETURN NULL;
END $$;
CREATE OR REPLACE TRIGGER zentova_change_totals AFTER INSERT ON zentova_change
    REFERENCING NEW TABLE AS zentova_new
    FOR EACH STATEMENT EXECUTE FUNCTION zentova_add_totals();
INSERT INTO zentova_total AS t (day, person, folder, counter, title, total, last)
    SELECT day, person, folder, counter, title, sum(coalesce(worked, delta)), max(at)
    FROM zentova_change GROUP BY day, person, folder, counter, title
    ON CONFLICT (day, person, folder, counter, title) DO UPDATE
    SET total = excluded.total, last = excluded.last, changed = pg_current_xact_id();
INSERT INTO zentova_schema (version) SELECT 3
    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema WHERE version >= 3);
COMMIT;
GRANT SELECT ON zentova_schema TO zentova;
GRANT SELECT, INSERT ON zentova_change TO zentova;
GRANT SELECT ON zentova_total TO zentova;
GRANT SELECT, INSERT, UPDATE ON zentova_strip TO zentova;
