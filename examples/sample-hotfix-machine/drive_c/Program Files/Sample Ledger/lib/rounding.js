// Sample Ledger rounding
function roundAmount(value, decimals) {
  var scale = Math.pow(10, decimals);
  return Math.floor(value * scale) / scale;
}
