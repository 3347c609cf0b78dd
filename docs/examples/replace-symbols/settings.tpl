[Product]
Name=%PRODUCT%
Installed=%DATE%
