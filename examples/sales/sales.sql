-- The demo sales database: table `sales` with one row per sale, the same on every run.
--
--   sqlite3 sales.db < sales.sql
--
-- 100,000 rows unless the caller says otherwise in a temporary table `sales_rows`, e.g. one
-- million for a benchmark:
--
--   sqlite3 -cmd "CREATE TEMP TABLE sales_rows AS SELECT 1000000 AS n" sales.db < sales.sql
--
-- Regions come in sorted blocks ("Region 01" for the first twentieth of the ids, and so on);
-- customers, amounts (0.00 to 9999.99) and dates (in 2024) come from linear congruential
-- generators stepped once per id, so they look random but never change.

CREATE TEMP TABLE IF NOT EXISTS sales_rows (n INTEGER);

DROP TABLE IF EXISTS sales;
CREATE TABLE sales (
  id       INTEGER PRIMARY KEY,
  region   VARCHAR(9)    NOT NULL,
  customer VARCHAR(13)   NOT NULL,
  amount   DECIMAL(6, 2) NOT NULL,
  date     DATE          NOT NULL
);

BEGIN;
WITH RECURSIVE
  size(n) AS (SELECT coalesce((SELECT max(n) FROM temp.sales_rows), 100000)),
  -- one generator for each drawn column, each stepped once a row (all of full period 2^31)
  draws(id, c, a, d) AS (
    SELECT 1, 20240101, 1234567890, 987654321
    UNION ALL
    SELECT id + 1,
           (c * 1103515245 + 12345) % 2147483648,
           (a * 214013 + 2531011) % 2147483648,
           (d * 22695477 + 1) % 2147483648
    FROM draws WHERE id < (SELECT n FROM size))
INSERT INTO sales (id, region, customer, amount, date)
SELECT id,
       printf('Region %02d', (id - 1) * 20 / (SELECT n FROM size) + 1),
       printf('Customer %04d', (c / 65536) % 5000),
       (a / 2048) * 1000000 / 1048576 / 100.0,
       date('2024-01-01', printf('+%d days', (d / 65536) % 366))
FROM draws
WHERE id <= (SELECT n FROM size);
COMMIT;
