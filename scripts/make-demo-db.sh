#!/bin/sh
# Creates the demo database build/demo/shop.db (or the file given as $1) afresh: a small shop with
# several tables, one named "Order Details", Unicode texts, NULLs, numbers, dates and words worth
# replacing ("colour", "Strasse", "Kolonialwaren").
set -eu
db=$(realpath -m "${1:-"$(dirname "$0")/../build/demo/shop.db"}")
mkdir -p "$(dirname "$db")"
rm -f "$db"
sqlite3 "$db" <<'SQL'
CREATE TABLE Customers (
    CustomerID INTEGER PRIMARY KEY,
    Name TEXT NOT NULL,
    Street TEXT,
    City TEXT,
    Country TEXT,
    Notes TEXT
);
INSERT INTO Customers VALUES
    (1, 'Kolonialwaren Müller', 'Hauptstrasse 12', 'Köln', 'Deutschland', 'Liefert nur dienstags'),
    (2, 'Café Zoë', 'Rue de la Paix 3', 'Paris', 'France', NULL),
    (3, 'Ørsted & Søn', 'Strandvejen 7', 'København', 'Danmark', 'Prefers colour catalogues'),
    (4, 'Łukasz Wiśniewski', 'ul. Długa 5', 'Gdańsk', 'Polska', ''),
    (5, 'Σοφία Παπαδοπούλου', 'Odos Ermou 20', 'Αθήνα', 'Ελλάδα', 'Kolonialwaren and spices'),
    (6, 'Greenfield Traders', '1 Colour Lane', 'Leeds', 'United Kingdom', NULL);

CREATE TABLE Products (
    ProductID INTEGER PRIMARY KEY,
    ProductName TEXT NOT NULL,
    Category TEXT,
    UnitPrice NUMERIC(10,2),
    InStock INTEGER,
    Description TEXT
);
INSERT INTO Products VALUES
    (1, 'Earl Grey Tee', 'Getränke', 4.50, 120, 'Schwarzer Tee mit Bergamotte'),
    (2, 'Crème brûlée mix', 'Desserts', 3.95, 0, 'Available in every colour of vanilla'),
    (3, 'Lakritz „Salmiak"', 'Süßwaren', 2.20, 48, NULL),
    (4, 'Matcha 抹茶', 'Getränke', 12.00, 15, 'Grüner Tee aus Japan — 日本茶'),
    (5, 'Paprika edelsüß', 'Gewürze', 1.80, NULL, 'Kolonialwaren-Klassiker'),
    (6, 'Colour pencils', 'Office', 7.25, 300, 'Twelve colour pencils in a tin');

CREATE TABLE Orders (
    OrderID INTEGER PRIMARY KEY,
    CustomerID INTEGER REFERENCES Customers(CustomerID),
    OrderDate DATE,
    ShippedDate TIMESTAMP,
    ShipStreet TEXT,
    Comment TEXT
);
INSERT INTO Orders VALUES
    (1001, 1, '2024-01-15', '2024-01-17 09:30:00', 'Hauptstrasse 12', 'Bitte klingeln'),
    (1002, 2, '2024-02-03', NULL, 'Rue de la Paix 3', NULL),
    (1003, 3, '2024-02-28', '2024-03-02 14:05:00', 'Strandvejen 7', 'Gift wrap in a bright colour'),
    (1004, 5, '2024-03-10', '2024-03-15 11:00:00', 'Odos Ermou 20', 'Παράδοση το πρωί'),
    (1005, 1, '2024-04-01', NULL, 'Hauptstrasse 12', 'Zweite Lieferung, Hinterhof Strasse B');

CREATE TABLE "Order Details" (
    OrderID INTEGER REFERENCES Orders(OrderID),
    ProductID INTEGER REFERENCES Products(ProductID),
    Quantity INTEGER NOT NULL,
    Discount REAL,
    Remark TEXT,
    PRIMARY KEY (OrderID, ProductID)
);
INSERT INTO "Order Details" VALUES
    (1001, 1, 10, 0.0, 'Kolonialwaren-Lieferung'),
    (1001, 5, 3, 0.05, NULL),
    (1002, 2, 6, 0.1, 'colour: vanilla'),
    (1003, 4, 2, NULL, '抹茶 for the tea room'),
    (1004, 3, 12, 0.0, 'Σακούλα δώρου'),
    (1005, 6, 1, 0.15, 'Colour pencils, Strasse B');
SQL
echo "$db"
