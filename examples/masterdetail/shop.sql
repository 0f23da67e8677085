-- The demo shop database: customers and their orders, the same on every run.
--
--   sqlite3 shop.db < shop.sql
--
-- Twelve customers; customer n has (n * 5) mod 7 orders (some have none), with amounts and dates
-- drawn from a linear congruential generator stepped once per order.

DROP TABLE IF EXISTS orders;
DROP TABLE IF EXISTS customers;
CREATE TABLE customers (
  customer_id INTEGER PRIMARY KEY,
  name        VARCHAR(20) NOT NULL,
  city        VARCHAR(20) NOT NULL
);
CREATE TABLE orders (
  order_id    INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers (customer_id),
  ordered     DATE NOT NULL,
  amount      DECIMAL(8, 2) NOT NULL
);

BEGIN;
WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 12)
INSERT INTO customers
SELECT n,
       'Customer ' || printf('%02d', n),
       CASE n % 4 WHEN 0 THEN 'Amsterdam' WHEN 1 THEN 'Lisbon' WHEN 2 THEN 'Oslo' ELSE 'Vienna' END
FROM c;

WITH RECURSIVE
  slots(customer_id, k) AS (
    SELECT customer_id, 1 FROM customers WHERE (customer_id * 5) % 7 > 0
    UNION ALL
    SELECT s.customer_id, s.k + 1 FROM slots s WHERE s.k < (s.customer_id * 5) % 7
  ),
  numbered(customer_id, k, i) AS (
    SELECT customer_id, k, row_number() OVER (ORDER BY customer_id, k) FROM slots
  )
INSERT INTO orders
SELECT 1000 + i,
       customer_id,
       date('2024-01-01', '+' || ((i * 7919) % 366) || ' days'),
       ((i * 48271) % 100000) / 100.0
FROM numbered;
COMMIT;
