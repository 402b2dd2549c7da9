% Writes reference.txt: expected values of the script language's standard functions and linear
% algebra, computed by GNU Octave. Run from this folder: octave --no-gui --quiet make_reference.m
% Each line: tolerance class, the script expression, rows, cols and the values (column by column).
% The inputs are defined the same way in the test (reference_test.cpp).
A = [4, -2, 1; 3, 6, -4; 2, 1, 8];
B = [1.5, -0.25, 2; 0.125, 3, -1; 7, 0.5, 0.75];
b = [1; -2; 0.5];
v = [0.5, -1.25, 3, 2, -0.75];
M = [1, 5, -3; 7, -2, 0.5; 2, 2, 9; -4, 6, 1];
R = [1, 2; 3, 4; 5, 6.5];
% {class, script expression, Octave expression ("" = the same)}
cases = {
  'exact', 'size(M)', '';
  'exact', 'numel(M)', '';
  'exact', 'length(M)', '';
  'exact', 'zeros(2, 3)', '';
  'exact', 'ones(2)', '';
  'exact', 'eye(3, 2)', '';
  'exact', 'linspace(0, 1, 7)', '';
  'exact', 'linspace(-2, 5, 4)', '';
  'exact', 'reshape(M, 2, 6)', '';
  'exact', 'repmat([1, 2; 3, 4], 2, 3)', '';
  'exact', 'abs(v)', '';
  'exact', 'sign(v)', '';
  'exact', 'sqrt(abs(v))', '';
  'exact', 'exp(v)', '';
  'exact', 'log(abs(v))', '';
  'exact', 'log10(abs(v))', '';
  'exact', 'sin(v)', '';
  'exact', 'cos(v)', '';
  'exact', 'tan(v)', '';
  'exact', 'asin(v / 4)', '';
  'exact', 'acos(v / 4)', '';
  'exact', 'atan(v)', '';
  'exact', 'atan2(v, [1, -1, 2, -2, 0.5])', '';
  'exact', 'pow(abs(v), 1.5)', 'power(abs(v), 1.5)';
  'exact', 'floor(v)', '';
  'exact', 'ceil(v)', '';
  'exact', 'round([-2.5, -1.5, -0.5, 0.5, 1.5, 2.5])', '';
  'exact', 'fix(v)', '';
  'exact', 'mod([-7, 7, -7, 7, 5.5], [3, -3, -3, 3, 2])', '';
  'exact', 'rem([-7, 7, -7, 7, 5.5], [3, -3, -3, 3, 2])', '';
  'exact', 'mod(5, 0)', '';
  'exact', 'sum(M)', '';
  'exact', 'sum(v)', '';
  'exact', 'prod(M)', '';
  'exact', 'mean(M)', '';
  'exact', 'mean(v)', '';
  'exact', 'cumsum(M)', '';
  'exact', 'cumsum(v)', '';
  'exact', 'max(M)', '';
  'exact', 'min(M)', '';
  'exact', 'max(v)', '';
  'exact', 'max(v, 0)', '';
  'exact', 'min([1, NaN, 3], [2, 2, NaN])', '';
  'exact', 'any(M > 6)', '';
  'exact', 'all(M > -5)', '';
  'exact', 'sort(M)', '';
  'exact', 'sort(v)', '';
  'exact', 'find(v > 0)', 'find(v > 0) - 1';
  'exact', 'find(M < 0)', 'find(M < 0) - 1';
  'exact', 'trace(A)', '';
  'exact', 'norm(v)', '';
  'exact', 'norm(v, 1)', '';
  'exact', 'norm(M, 1)', '';
  'exact', 'norm(M, Inf)', '';
  'solve', 'norm(M)', '';
  'exact', 'A * B', '';
  'exact', 'M[0:2] * R', 'M(1:3, :) * R';
  'exact', 'A .* B', '';
  'exact', 'A ./ B', '';
  'exact', 'A .^ 2', '';
  'exact', 'A ^ 3', '';
  'exact', "A'", '';
  'exact', 'M + [1, 2, 3]', '';
  'exact', 'M - [1; 2; 3; 4]', '';
  'exact', '0:0.1:1', '';
  'exact', '10:-3:-5', '';
  'exact', '2 ^ -0.5', '';
  'solve', 'A \ b', '';
  'solve', 'A \ B', '';
  'solve', 'B / A', '';
  'solve', 'inv(A)', '';
  'solve', 'inv(B)', '';
  'solve', 'det(A)', '';
  'solve', 'det(B)', '';
  'solve', 'A ^ -2', '';
  'solve', 'R \ [1; 2; 3]', '';
};
f = fopen('reference.txt', 'w');
fprintf(f, '# GNU Octave %s\n', version());
for k = 1:rows(cases)
  expr = cases{k, 2};
  oct = cases{k, 3};
  if isempty(oct)
    oct = expr;
  end
  val = eval(oct);
  fprintf(f, '%s\t%s\t%d %d', cases{k, 1}, expr, rows(val), columns(val));
  fprintf(f, ' %.17g', val(:));
  fprintf(f, '\n');
end
fclose(f);
