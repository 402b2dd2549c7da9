% Calibration reference: least-squares transforms (Octave's backslash) for the formula data of
% colcalib_test.cpp. Run: octave -q make_reference.m
p = 12; N = 3;
k = (1:p)';
X = [0.2 + 0.05 * k, 0.9 - 0.03 * k + 0.1 * sin(k), 0.4 + 0.2 * cos(1.3 * k)];
Y = [0.1 + 1.1 * X(:, 1) - 0.2 * X(:, 2) + 0.01 * sin(3 * k), ...
     0.05 + 0.9 * X(:, 2) + 0.1 * X(:, 3) .^ 2, ...
     -0.1 + 1.3 * X(:, 3) + 0.05 * X(:, 1) .* X(:, 2)];
f = fopen('reference.inc', 'w');
function put(f, name, M)
  M = M';  % row-major output
  fprintf(f, '{"%s", {', name);
  fprintf(f, '%.17g, ', M(:));
  fprintf(f, '}},\n');
end
put(f, 'skal', diag(sum(X .* Y) ./ sum(X .^ 2)));
O = zeros(N, N + 1);
for c = 1:N
  s = [X(:, c) ones(p, 1)] \ Y(:, c);
  O(c, c) = s(1); O(c, N + 1) = s(2);
end
put(f, 'skaloff', O);
put(f, 'linear', (X \ Y)');
put(f, 'affin', ([X ones(p, 1)] \ Y)');
Q = ones(p, 1);
Q = [Q X];
for i = 1:N
  for j = i:N
    Q = [Q X(:, i) .* X(:, j)];
  end
end
put(f, 'poly', (Q \ Y)');
fclose(f);
