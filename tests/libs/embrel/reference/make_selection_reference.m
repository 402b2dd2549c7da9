% Target selection reference: the pivot order of qr(A, 0) (greedy largest residual norm) and
% the smallest singular value of the first count picked columns scaled to unit norm, with the
% same formula data as target_selection_test.cpp. Run: octave -q make_selection_reference.m
n = 20; m = 8;
A = zeros(n, m);
for j = 1:m
  for k = 1:n
    A(k, j) = exp(-((k - 2.3 * j) / 4)^2) + 0.1 * sin(0.7 * k * j);
  end
end
[Q, R, p] = qr(A, 0);
f = fopen('selection_reference.inc', 'w');
fprintf(f, '// Written by make_selection_reference.m (Octave %s).\n', version());
fprintf(f, 'const int kQrOrder[] = {');
fprintf(f, '%d, ', p - 1);
fprintf(f, '};\n');
for count = [3 5]
  C = A(:, p(1:count));
  C = C ./ sqrt(sum(C .^ 2, 1));
  fprintf(f, 'const double kSmallestSingular%d = %.17g;\n', count, min(svd(C)));
end
fclose(f);
