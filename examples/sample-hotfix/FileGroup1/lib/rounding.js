// Sample Ledger rounding, hotfix HF-2.4-0031
function roundAmount(value, decimals) {
  var scale = Math.pow(10, decimals);
  var sign = value < 0 ? -1 : 1;
  return sign * Math.round(Math.abs(value) * scale) / scale;
}
